#!/usr/bin/env python3
"""Checks that every source file includes only what its library may use.

Each source file belongs to the library (or program) whose CMake target lists
it; a header belongs where its .cpp does. Which libraries a library may use is
read from the table "The libraries" of docs/architecture.md: its own, those of
its "uses" column and everything those use in turn; a library may include Qt
headers only when Qt is among what it uses. A program may use what the
library it links may use.

    check_layers.py ROOT                  check the tree, list every offence
    check_layers.py ROOT --plant FILE:HEADER
                                          the same with one more include in
                                          FILE; succeeds only if the checker
                                          finds it (the checker checked)
"""
import pathlib
import re
import sys

FOLDERS = ["catalog", "store", "app", "report"]
QT = "Qt"


def targets(root):
    """target -> (kind, [source files]) and target -> [linked targets], from the folders' CMakeLists."""
    sources, links = {}, {}
    for folder in FOLDERS:
        text = (root / folder / "CMakeLists.txt").read_text(encoding="utf-8")
        text = re.sub(r"#.*", "", text)
        for kind, name, body in re.findall(r"add_(library|executable)\(\s*([\w-]+)\s+([^)]*)\)", text):
            files = [folder + "/" + f for f in body.split() if f.endswith(".cpp")]
            sources[name] = (kind, files)
        for name, body in re.findall(r"target_link_libraries\(\s*([\w-]+)\s+([^)]*)\)", text):
            links.setdefault(name, []).extend(w for w in body.split() if w not in ("PUBLIC", "PRIVATE", "INTERFACE"))
    return sources, links


def allowed_uses(root):
    """library -> (set of libraries it may include from, whether it may include Qt), from the architecture page."""
    page = (root / "docs" / "architecture.md").read_text(encoding="utf-8")
    section = page.split("## The libraries", 1)[1].split("\n## ", 1)[0]
    direct, order = {}, []
    for line in section.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 4 or not cells[0].startswith("`"):
            continue
        name = cells[0].strip("`")
        uses = cells[3]
        named = set(re.findall(r"`([\w-]+)`", uses))
        if "everything below" in uses:
            named |= set(order) | {QT}
        if "Qt" in uses:
            named.add(QT)
        direct[name] = named
        order.append(name)
    closure = {}
    for name in order:
        seen, todo = set(), [name]
        while todo:
            current = todo.pop()
            if current in seen:
                continue
            seen.add(current)
            todo.extend(direct.get(current, ()))
        closure[name] = (seen - {QT}, QT in seen)
    return closure


def includes(path, planted):
    text = path.read_text(encoding="utf-8", errors="replace")
    found = re.findall(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', text, re.M)
    return found + planted


def main(argv):
    root = pathlib.Path(argv[1]).resolve()
    plant = {}
    if len(argv) == 4 and argv[2] == "--plant":
        file, header = argv[3].rsplit(":", 1)
        plant = {file: [('"', header)]}
    elif len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2

    sources, links = targets(root)
    uses = allowed_uses(root)
    owner = {}  # source file -> libraries whose rules apply
    for name, (kind, files) in sources.items():
        if kind == "library":
            rules = name
        else:
            # A program is held to what the libraries it links may use.
            rules = next((t for t in links.get(name, []) if t in uses), None)
            if rules is None:
                continue
        for file in files:
            owner.setdefault(file, []).append(rules)
    headers = {}  # header name -> its library
    for file, libraries in owner.items():
        header = pathlib.Path(file).with_suffix(".h")
        if (root / header).exists():
            headers[header.name] = (str(header), libraries)

    offences, missing = [], sorted(set(l for ls in owner.values() for l in ls) - set(uses))
    for library in missing:
        offences.append(f"{library}: not in the table of docs/architecture.md")
    checked = set()
    for file, libraries in sorted(owner.items()):
        for path in {file, headers.get(pathlib.Path(file).with_suffix(".h").name, (None,))[0]} - {None}:
            if path in checked:
                continue
            checked.add(path)
            may, qt = set(), False
            for library in libraries:
                if library in uses:
                    may |= uses[library][0]
                    qt = qt or uses[library][1]
            for bracket, name in includes(root / path, plant.get(path, [])):
                if bracket == "<":
                    if re.match(r"Q[A-Za-z]", name) and not qt:
                        offences.append(f"{path}: includes <{name}>, but {'/'.join(libraries)} has no Qt")
                    continue
                target = headers.get(pathlib.Path(name).name)
                if target is None:
                    continue  # a header of the program's own folder that no library owns, or a generated one
                if not set(target[1]) & may:
                    offences.append(f"{path}: includes \"{name}\" of {'/'.join(target[1])}, "
                                    f"which {'/'.join(libraries)} may not use")

    if plant:
        if offences:
            print("the planted include is found:\n  " + "\n  ".join(offences))
            return 0
        print("the planted include went unnoticed", file=sys.stderr)
        return 1
    if offences:
        print("includes the libraries may not use:\n  " + "\n  ".join(offences), file=sys.stderr)
        return 1
    print(f"{len(checked)} files: every include is one its library may use")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
