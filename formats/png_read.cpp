#include "formats/png_read.h"

#include <png.h>

#include <cstring>

int png_readRgb(const char* path, std::vector<uint8_t>* rgb, int* width, int* height, std::string* error)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    error->clear();
    if (!png_image_begin_read_from_file(&image, path)) {
        *error = image.message;
        return -1;
    }
    image.format = PNG_FORMAT_RGB;
    // Anything larger than a screen of the demo's machines is no frame of ours.
    if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
        png_image_free(&image);
        *error = "picture size out of range";
        return -1;
    }
    rgb->assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr)) {
        *error = image.message;
        png_image_free(&image);
        return -1;
    }
    *width = (int)image.width;
    *height = (int)image.height;
    return 0;
}
