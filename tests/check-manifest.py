#!/usr/bin/env python3
"""The process manifest inside a built program, read back from the file
without Wine: resource type 24 (RT_MANIFEST), id 1, language neutral, XML
that parses, asking for administrator rights and naming Vista to 11; and
its German version resource (type 16), whose versions are the manifest's.
    check-manifest.py PROGRAM.exe"""
import struct
import sys
import xml.etree.ElementTree as ET

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


def resource(image, type_id, name_id):
    """(language, bytes) of every resource type_id/name_id."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional = struct.unpack_from("<H12xH", image, pe + 6)
    table = pe + 24 + optional
    rva = struct.unpack_from("<I", image, pe + 24 + 96 + 2 * 8)[0]  # data directory 2
    for i in range(sections):
        _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", image, table + 40 * i)
        if vaddr <= rva < vaddr + max(vsize, rawsize):
            base = rawptr + rva - vaddr
            break
    else:
        return []

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", image, base + offset)
        for k in range(named + ids):
            key, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * k)
            yield key, target

    found = []
    for key, target in entries(0):
        if key != type_id:
            continue
        for name, sub in entries(target & 0x7FFFFFFF):
            if name != name_id:
                continue
            for language, leaf in entries(sub & 0x7FFFFFFF):
                data_rva, size = struct.unpack_from("<II", image, base + leaf)
                start = base + data_rva - rva
                found.append((language, image[start:start + size]))
    return found


def version_block(data, offset=0):
    """(key, value bytes, children) of the VS_VERSIONINFO block at offset."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = data.index(b"\0\0", offset + 6)
    while (end - offset - 6) % 2:
        end = data.index(b"\0\0", end + 1)
    key = data[offset + 6:end].decode("utf-16-le")
    at = (end + 2 + 3) & ~3
    size = value_length * 2 if kind == 1 else value_length
    value = data[at:at + size]
    at = (at + size + 3) & ~3
    children = []
    while at < offset + length:
        child = version_block(data, at)
        children.append(child[:3])
        at = (at + child[3] + 3) & ~3
    return key, value, children, length


def check_version(path, image, version):
    """Problems of the version resource against the manifest's version."""
    found = resource(image, 16, 1)
    if [language for language, _ in found] != [0x0407]:
        return [f"version resource languages {[hex(l) for l, _ in found]}"]
    key, fixed, children, _ = version_block(found[0][1])
    numbers = struct.unpack_from("<4xIIII", fixed, 4)
    file_version = f"{numbers[0] >> 16}.{numbers[0] & 0xFFFF}.{numbers[1] >> 16}.{numbers[1] & 0xFFFF}"
    blocks = {k: c for k, _, c in children}
    strings = {k: v.decode("utf-16-le").rstrip("\0") for k, v, _ in blocks["StringFileInfo"][0][2]}
    problems = []
    if blocks["StringFileInfo"][0][0] != "040704E4":
        problems.append(f"string table {blocks['StringFileInfo'][0][0]}")
    if blocks["VarFileInfo"][0][1] != struct.pack("<HH", 0x0407, 1252):
        problems.append("translation is not 0x0407, 1252")
    want = {"CompanyName": "Vantorell", "ProductName": "Kovra Rendo Cup", "FileVersion": version,
            "ProductVersion": version}
    for name, text in want.items():
        if strings.get(name) != text:
            problems.append(f"{name} {strings.get(name)!r}, want {text!r}")
    for name in ("FileDescription", "InternalName", "OriginalFilename", "LegalCopyright"):
        if not strings.get(name):
            problems.append(f"no {name}")
    if file_version != version:
        problems.append(f"fixed file version {file_version}, want {version}")
    return problems


def main(path):
    image = open(path, "rb").read()
    manifests = resource(image, 24, 1)
    if [language for language, _ in manifests] != [0]:
        print(f"{path}: expected one language-neutral manifest 1, found {len(manifests)}")
        return 1
    root = ET.fromstring(manifests[0][1])
    ns = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
          "c": "urn:schemas-microsoft-com:compatibility.v1"}
    levels = [e.get("level") for e in root.iterfind(
        "v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel", ns)]
    systems = {e.get("Id") for e in root.iterfind("c:compatibility/c:application/c:supportedOS", ns)}
    fail = 0
    if levels != ["requireAdministrator"]:
        print(f"{path}: execution level {levels}")
        fail = 1
    if systems != SUPPORTED_OS:
        print(f"{path}: supportedOS {sorted(systems)}")
        fail = 1
    version = root.find("v1:assemblyIdentity", ns).get("version")
    for problem in check_version(path, image, version):
        print(f"{path}: {problem}")
        fail = 1
    if not fail:
        print(f"{path}: manifest parses, requireAdministrator, {len(systems)} supportedOS entries; "
              f"version resource 0x0407/1252, version {version}")
    return fail


if __name__ == "__main__":
    sys.exit(max(main(p) for p in sys.argv[1:]))
