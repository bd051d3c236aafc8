#!/usr/bin/env python3
"""Checks the files only a Windows build reads: CMakePresets.json (every
preset's references resolve; the vcpkg preset takes vcpkg's toolchain from
VCPKG_ROOT), vcpkg.json and the programs' manifests. Prints each fault and
exits with 1 if there is any."""
import json
import re
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

root = Path(__file__).resolve().parents[2]
faults = []


def fault(text):
    faults.append(text)


def load_json(name):
    try:
        return json.loads((root / name).read_text(encoding="utf-8"))
    except (OSError, ValueError) as error:
        fault(f"{name}: {error}")
        return None


def resolve(presets, name, field, seen=()):
    """A field as the preset has it, its own or the first inherited one."""
    preset = presets.get(name)
    if preset is None or name in seen:
        return None
    if field in preset:
        return preset[field]
    inherits = preset.get("inherits", [])
    for parent in [inherits] if isinstance(inherits, str) else inherits:
        value = resolve(presets, parent, field, seen + (name,))
        if value is not None:
            return value
    return None


def check_presets():
    document = load_json("CMakePresets.json")
    if document is None:
        return
    if document.get("version", 0) < 3:
        fault("CMakePresets.json: version 3 or later is needed for toolchainFile")
    kinds = {}
    for kind in ("configurePresets", "buildPresets", "testPresets"):
        presets = {}
        for preset in document.get(kind, []):
            if preset["name"] in presets:
                fault(f"{kind}: {preset['name']} is there twice")
            presets[preset["name"]] = preset
        kinds[kind] = presets
        for name, preset in presets.items():
            inherits = preset.get("inherits", [])
            for parent in [inherits] if isinstance(inherits, str) else inherits:
                if parent not in presets:
                    fault(f"{kind}: {name} inherits {parent}, which is not there")
    configure = kinds["configurePresets"]

    folders = {}
    for name in configure:
        if configure[name].get("hidden"):
            continue
        for field in ("generator", "binaryDir"):
            if resolve(configure, name, field) is None:
                fault(f"configurePresets: {name} has no {field}")
        folder = resolve(configure, name, "binaryDir")
        if folder in folders:
            fault(f"configurePresets: {name} and {folders[folder]} share {folder}")
        folders[folder] = name
    for kind in ("buildPresets", "testPresets"):
        for name in kinds[kind]:
            target = resolve(kinds[kind], name, "configurePreset")
            if target not in configure:
                fault(f"{kind}: {name} names configure preset {target}, which is not there")

    windows = {"type": "equals", "lhs": "${hostSystemName}", "rhs": "Windows"}
    toolchain = "$env{VCPKG_ROOT}/scripts/buildsystems/vcpkg.cmake"
    if "msvc-vcpkg" not in configure:
        fault("configurePresets: no msvc-vcpkg")
        return
    if resolve(configure, "msvc-vcpkg", "generator") != resolve(configure, "msvc", "generator"):
        fault("msvc-vcpkg does not build with msvc's generator")
    if resolve(configure, "msvc-vcpkg", "condition") != windows:
        fault("msvc-vcpkg is not for Windows hosts alone")
    variables = resolve(configure, "msvc-vcpkg", "cacheVariables") or {}
    if toolchain not in (resolve(configure, "msvc-vcpkg", "toolchainFile"), variables.get("CMAKE_TOOLCHAIN_FILE")):
        fault(f"msvc-vcpkg does not take {toolchain}")
    for kind in ("buildPresets", "testPresets"):
        if resolve(kinds[kind], "msvc-vcpkg", "configurePreset") != "msvc-vcpkg":
            fault(f"{kind}: no msvc-vcpkg for the msvc-vcpkg build")


def check_vcpkg_manifest():
    manifest = load_json("vcpkg.json")
    if manifest is None:
        return
    # vcpkg's rule for a port name: lowercase letters and digits, parts joined by hyphens.
    if not re.fullmatch(r"[a-z0-9]+(-[a-z0-9]+)*", str(manifest.get("name", ""))):
        fault(f"vcpkg.json: the name {manifest.get('name')!r} is not a vcpkg name")
    versions = [field for field in ("version", "version-string", "version-semver", "version-date") if field in manifest]
    if len(versions) != 1:
        fault(f"vcpkg.json: one version field is needed, there are {versions}")
    names = {dependency if isinstance(dependency, str) else dependency.get("name")
             for dependency in manifest.get("dependencies", [])}
    for needed in ("gtest", "assimp", "stb", "libsquish"):
        if needed not in names:
            fault(f"vcpkg.json: {needed} is not among the dependencies")


def check_manifests():
    asm = "{urn:schemas-microsoft-com:asm.v1}"
    v3 = "{urn:schemas-microsoft-com:asm.v3}"
    parsed = {}
    for name in ("Engine/Engine.manifest", "triangle/triangle.manifest"):
        try:
            assembly = parsed[name] = ElementTree.parse(root / name).getroot()
        except (OSError, ElementTree.ParseError) as error:
            fault(f"{name}: {error}")
            continue
        if assembly.tag != asm + "assembly":
            fault(f"{name}: the root is {assembly.tag}")
        level = assembly.find(f"{v3}trustInfo/{v3}security/{v3}requestedPrivileges/{v3}requestedExecutionLevel")
        if level is None or level.get("level") != "asInvoker":
            fault(f"{name}: does not run as invoker")
    engine = parsed.get("Engine/Engine.manifest")
    if engine is None:
        return
    settings = f"{v3}application/{v3}windowsSettings/"
    for element, value in (("{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness", "PerMonitorV2"),
                           ("{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware", "true/pm")):
        found = engine.findall(settings + element)
        if [item.text for item in found] != [value]:
            fault(f"Engine/Engine.manifest: {element} is {[item.text for item in found]}, not {value}")


check_presets()
check_vcpkg_manifest()
check_manifests()
for text in faults:
    print("check_windows_files:", text, file=sys.stderr)
sys.exit(1 if faults else 0)
