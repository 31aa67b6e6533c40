#!/usr/bin/env python3
"""Checks that no source file includes a folder above its own.

usage: check_layering.py [ROOT]

The engine's folders, from the bottom up. A file may include its own folder
and any folder below it; an effect may include nothing of another effect.
Inside music/ the same holds for its floors (MUSIC_FLOORS): the module
readers, mixer and outputs; the scheduler with the rules several formats
share; each format's rules, none of which includes another format's; the
public interface at the top, whose vocabulary headers (the module form, the
error codes, the settings) every floor may read.
tests/, bench/ and fuzz/ stand over the whole tree and are not checked.
Prints one line per upward include, FILE:LINE: ..., and exits 1 when there
is any; 0 otherwise.
"""
import os
import re
import sys

LAYERS = [
    "platform",   # the machine: display, keyboard, sound output, clock, files, log
    "geometry",   # vectors, matrices, camera, spline
    "gfx2d",      # the 32-bit graphic buffer, blits, smoothing, particles
    "formats",    # every data-file reader beside its writer
    "music",      # the module player, its mixer, outputs and module readers
    "render",     # the octree terrain renderer, 16-bit textures and surfaces
    "engine",     # the frame services the effects call: pump, frame, console
    "effects",    # one folder per effect
    "app",        # the window, the engine thread and the timeline
    "tools",      # programs: data generator, offline renderer, module renderer
    "web",        # the page and the web build's entry
]
RANK = {name: i for i, name in enumerate(LAYERS)}
MUSIC_FLOORS = [
    ("music/formats", "music/mixer", "music/output"),   # module readers, the mixer, the sound outputs
    ("music/core",),    # the scheduler and the rules several formats share
    ("music/rules",),   # the rules table of each format, one folder each
    ("music",),         # the public interface: player, thread, load, render, walk, info, control
]
MUSIC_VOCABULARY = {"music/mp_module.h", "music/mp_errors.h", "music/mp_settings.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc", ".c")


def folder_of(path):
    """(layer, effect name or None) of a path relative to the root."""
    parts = path.split("/")
    layer = parts[0]
    effect = parts[1] if layer == "effects" and len(parts) > 2 else None
    return layer, effect


def music_floor(path):
    """(floor index, format folder or None) of a path under music/."""
    parts = path.split("/")
    folder = music_folder(path)
    fmt = parts[2] if folder == "music/rules" and len(parts) > 3 else None
    for i, floor in enumerate(MUSIC_FLOORS):
        if folder in floor:
            return i, fmt
    return len(MUSIC_FLOORS) - 1, None


def music_folder(path):
    """The floor's folder a path under music/ stands in: music/core, music/rules, ... or music."""
    parts = path.split("/")
    return "/".join(parts[:2]) if len(parts) > 2 else "music"


def music_problem(rel, target):
    """Why a file under music/ may not include a target under music/, or None."""
    if target in MUSIC_VOCABULARY:
        return None
    floor, fmt = music_floor(rel)
    t_floor, t_fmt = music_floor(target)
    if t_floor > floor:
        return f"{music_folder(target)}/ is above {music_folder(rel)}/"
    if fmt and t_fmt and fmt != t_fmt:
        return "one format's rules include another's"
    return None


def check_file(root, rel):
    layer, effect = folder_of(rel)
    problems = []
    with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            target = m.group(1)
            t_layer, t_effect = folder_of(target)
            if t_layer not in RANK:
                continue
            if RANK[t_layer] > RANK[layer]:
                problems.append(f"{rel}:{number}: includes {target}: {t_layer}/ is above {layer}/")
            elif layer == "effects" and t_layer == "effects" and t_effect != effect:
                problems.append(f"{rel}:{number}: includes {target}: one effect includes another")
            elif layer == "music" and t_layer == "music" and music_problem(rel, target):
                problems.append(f"{rel}:{number}: includes {target}: {music_problem(rel, target)}")
    return problems


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    problems = []
    for layer in LAYERS:
        for dirpath, _, files in os.walk(os.path.join(root, layer)):
            for name in sorted(files):
                if name.endswith(SOURCE_ENDINGS):
                    rel = os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")
                    problems += check_file(root, rel)
    for p in problems:
        print(p)
    if problems:
        print(f"layering: {len(problems)} upward include(s); the order, bottom up: {' < '.join(LAYERS)}")
        return 1
    print("layering: no upward include")
    return 0


if __name__ == "__main__":
    sys.exit(main())
