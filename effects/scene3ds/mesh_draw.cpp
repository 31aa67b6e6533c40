#include "effects/scene3ds/mesh_draw.h"

#include "effects/scene3ds/scene_tables.h"
#include "effects/scene3ds/span_fill.h"
#include "formats/mesh3ds.h"

namespace {

// Screen corners of one face: position from the face record, (u, v) from the
// mesh's texture coordinates, (s, t) from the vertex normal, so that a normal
// facing the viewer addresses the middle of a 256 x 256 table.
void meshDraw_corners(const mesh3ds_T* mesh, const meshFaceRecord_T* record, const float* uv,
                      spanVertex_T* corner)
{
    const uint16_t* face = mesh->faces[record->face];
    for (int k = 0; k < 3; k++) {
        const int i = face[k];
        const vec4_T& n = mesh->vertexNormals[i];
        corner[k].x = record->x[k];
        corner[k].y = record->y[k];
        corner[k].at[0] = uv ? scene_toInt16(uv[2 * i]) : 0;
        corner[k].at[1] = uv ? scene_toInt16(uv[2 * i + 1]) : 0;
        corner[k].at[2] = scene_toInt16((n.x + 1.0f) * 128.0f);
        corner[k].at[3] = scene_toInt16((n.y + 1.0f) * 128.0f);
    }
}

}

int drawMesh(const mesh3ds_T* mesh, uint16_t* surface)
{
    const meshDrawOptions_T* o = mesh->drawOptions;
    if (!o)
        return 1;
    for (int i = 0; i < mesh->visibleCount; i++) {
        spanVertex_T c[3];
        meshDraw_corners(mesh, &mesh->faceRecords[mesh->drawOrder[i]], o->uv, c);
        // Modes addressed by the normals take (s, t) as their only pair.
        spanVertex_T n[3] = {c[0], c[1], c[2]};
        for (spanVertex_T& v : n) {
            v.at[0] = v.at[2];
            v.at[1] = v.at[3];
        }
        switch (o->mode) {
        case 0: span_plain(surface, o->texture, &c[0], &c[1], &c[2]); break;
        case 1: span_plain(surface, o->texture, &n[0], &n[1], &n[2]); break;
        case 2: span_plainBlend(surface, o->texture, &c[0], &c[1], &c[2]); break;
        case 3: span_plainBlend(surface, o->texture, &n[0], &n[1], &n[2]); break;
        case 4: span_lit(surface, o->texture, o->lightMap, o->shadeTable, &c[0], &c[1], &c[2]); break;
        case 5: span_litNormal(surface, o->texture, o->lightMap, o->shadeTable, &n[0], &n[1], &n[2]); break;
        case 6: span_litBlend(surface, o->texture, o->lightMap, o->shadeTable, &c[0], &c[1], &c[2]); break;
        case 7: span_litNormalBlend(surface, o->texture, o->lightMap, o->shadeTable, &n[0], &n[1], &n[2]); break;
        default: break;
        }
    }
    return 1;
}
