"""Checks the winget manifests of a release zip: each file against the official JSON schema of its
type and manifest version, then what winget checks beyond the schema (a zip names its nested
installer type and files; those paths stay inside the archive and are unique, and so are the
command aliases; a portable file is an .exe that is in the zip; the first line is the schema
header of the file's type and version; every number-like text is quoted), and that the three
files agree, the hash is the zip's and the version the program's. Exits 1 and says why when a
check fails.

    python3 check_winget.py MANIFEST_FOLDER ZIP VERSION [--self-check]

The schemas are read from $VELMORO_WINGET_SCHEMAS, else from ../shared/winget-schemas beside the
checkout, as v<version>/manifest.<type>.<version>.json. With --self-check, mutated copies of the
manifests are checked too, and each must fail for its own reason.
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import sys
import tempfile
import zipfile
from pathlib import Path, PureWindowsPath

try:
    import jsonschema
    import yaml
except ImportError as error:
    sys.exit(f"check_winget.py: no Python module {error.name}: install python3-yaml and "
             "python3-jsonschema (bash scripts/setup.sh does)")

SCHEMAS = Path(os.environ.get("VELMORO_WINGET_SCHEMAS",
                              Path(__file__).resolve().parents[3] / "shared" / "winget-schemas"))
HEADER = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.{}.{}.schema.json"
# The three files of one version, by ManifestType: the name each has in the folder.
FILE_NAMES = {"version": "{id}.yaml", "installer": "{id}.installer.yaml",
              "defaultLocale": "{id}.locale.{locale}.yaml"}
# The only fields winget reads as other than text; everything else is a string to the schemas.
INTEGERS = {"InstallerSuccessCodes", "InstallerReturnCode"}
BOOLEANS = {"InstallerAbortsTerminal", "InstallLocationRequired", "RequireExplicitUpgrade",
            "DisplayInstallWarnings", "DownloadCommandProhibited", "ArchiveBinariesDependOnPath"}
# Unquoted, another YAML reader may take these for numbers, dates or versions, not text.
NUMBER_LIKE = re.compile(r"[-+]?\.?[0-9][0-9a-fA-F._:+-]*")
STRING_TAG = "tag:yaml.org,2002:str"


def typed(node, key, problems, where):
    """The data of a YAML node: text, but for the fields winget reads as integers or booleans;
    a plain scalar of another field that YAML would not read as text is a problem."""
    if isinstance(node, yaml.MappingNode):
        return {k.value: typed(v, k.value, problems, where) for k, v in node.value}
    if isinstance(node, yaml.SequenceNode):
        return [typed(item, key, problems, where) for item in node.value]
    text = node.value
    if key in INTEGERS and re.fullmatch(r"-?[0-9]+", text):
        return int(text)
    if key in BOOLEANS and text.lower() in ("true", "false"):
        return text.lower() == "true"
    if node.style is None and (node.tag != STRING_TAG or NUMBER_LIKE.fullmatch(text)):
        problems.append(f"{where}: {key}: {text} is not quoted, so YAML may read it as a number "
                        "or a date, not as text")
    return text


def read(path, problems):
    """The manifest's data and its first line; None where it is no YAML mapping."""
    text = path.read_text("utf-8-sig")
    try:
        node = yaml.compose(text, Loader=yaml.SafeLoader)
    except yaml.YAMLError as error:
        problems.append(f"{path.name}: not YAML: {error}")
        return None, ""
    if not isinstance(node, yaml.MappingNode):
        problems.append(f"{path.name}: not a YAML mapping")
        return None, ""
    return typed(node, None, problems, path.name), text.split("\n", 1)[0].rstrip("\r")


def schema_problems(name, data):
    kind, version = data.get("ManifestType"), data.get("ManifestVersion")
    if not kind or not version:
        return [f"{name}: no ManifestType or ManifestVersion, so no schema to check it against"]
    schema_path = SCHEMAS / f"v{version}" / f"manifest.{kind}.{version}.json"
    if not schema_path.is_file():
        return [f"{name}: the winget schema {schema_path} is missing (set VELMORO_WINGET_SCHEMAS "
                f"to the folder that holds v{version}/)"]
    validator = jsonschema.Draft7Validator(json.loads(schema_path.read_text("utf-8")),
                                           format_checker=jsonschema.FormatChecker())
    return [f"{name}: {'/'.join(map(str, error.absolute_path)) or 'the file'}: {error.message}"
            for error in sorted(validator.iter_errors(data), key=str)]


def outside_archive(path):
    windows = PureWindowsPath(path)
    return bool(windows.drive or windows.root) or ".." in windows.parts


def repeated(texts):
    seen = [text.lower() for text in texts]
    return sorted({text for text in texts if seen.count(text.lower()) > 1})


def installer_problems(manifest, zip_path):
    """The rules for each installer, root-level fields inherited as winget does."""
    with zipfile.ZipFile(zip_path) as archive:
        names = {name.lower() for name in archive.namelist()}
    digest = hashlib.sha256(zip_path.read_bytes()).hexdigest()
    root = {key: value for key, value in manifest.items() if key != "Installers"}
    problems = []
    for index, installer in enumerate(manifest.get("Installers") or []):
        fields, where = {**root, **installer}, f"Installers/{index}"
        if fields.get("InstallerType") == "zip":
            problems += [f"{where}: a zip installer needs {field}"
                         for field in ("NestedInstallerType", "NestedInstallerFiles")
                         if not fields.get(field)]
        nested = fields.get("NestedInstallerFiles") or []
        paths = [entry.get("RelativeFilePath", "") for entry in nested]
        aliases = [entry["PortableCommandAlias"] for entry in nested
                   if entry.get("PortableCommandAlias")]
        problems += [f"{where}: {path} leaves the archive" for path in paths + aliases
                     if outside_archive(path)]
        problems += [f"{where}: {text} is named twice"
                     for text in repeated(paths) + repeated(aliases)]
        portable = fields.get("NestedInstallerType") == "portable"
        for path in paths:
            if portable and not path.lower().endswith(".exe"):
                problems.append(f"{where}: the portable file {path} is no .exe")
            if path.replace("\\", "/").lower() not in names:
                problems.append(f"{where}: {path} is not in {zip_path.name}")
        if str(installer.get("InstallerSha256", "")).lower() != digest:
            problems.append(f"{where}: InstallerSha256 {installer.get('InstallerSha256')} is not "
                            f"the hash of {zip_path.name}, {digest.upper()}")
        if not str(installer.get("InstallerUrl", "")).endswith("/" + zip_path.name):
            problems.append(f"{where}: InstallerUrl {installer.get('InstallerUrl')} does not "
                            f"download {zip_path.name}")
    return problems


def problems(folder, zip_path, version):
    """What is wrong with the manifests in folder; empty when they pass."""
    if absent := [path for path in (folder, zip_path) if not path.exists()]:
        return [f"{path}: missing: build the package target of the win64 preset" for path in absent]
    found, files, valid = [], [], set()
    for path in sorted(folder.glob("*.yaml")):
        data, first_line = read(path, found)
        if data is None:
            continue
        kind, manifest_version = data.get("ManifestType"), data.get("ManifestVersion")
        if first_line != HEADER.format(kind, manifest_version):
            found.append(f"{path.name}: the first line {first_line!r} is not the schema header of "
                         f"{kind} {manifest_version}")
        if kind in FILE_NAMES and any(kind == other for other, _, _ in files):
            found.append(f"{path.name}: a second {kind} manifest")
        files.append((kind, path.name, data))
        if not (schema := schema_problems(path.name, data)):
            valid.add(path.name)
        found += schema
    by_kind = {kind: (name, data) for kind, name, data in files}
    if missing := [kind for kind in FILE_NAMES if kind not in by_kind]:
        return found + [f"{folder}: no {kind} manifest" for kind in missing]
    first = by_kind["version"][1]
    for kind, name, data in files:
        expected = FILE_NAMES.get(kind, name).format(id=first.get("PackageIdentifier"),
                                                     locale=first.get("DefaultLocale"))
        if name != expected:
            found.append(f"{name}: a {kind} manifest is named {expected}")
        found += [f"{name}: {field} {data.get(field)}, not {value}" for field, value in (
            ("PackageIdentifier", first.get("PackageIdentifier")), ("PackageVersion", version),
            ("ManifestVersion", first.get("ManifestVersion"))) if data.get(field) != value]
    name, installer = by_kind["installer"]
    # The rules read the installers only as the schema lays them out.
    return found + (installer_problems(installer, zip_path) if name in valid else [])


# Each mutation of one manifest, and a text its failure must name: (what, the manifest's type,
# a pattern found in it exactly once, its replacement, the failure's text).
MUTATIONS = [
    ("a wrong hash", "installer", r'(InstallerSha256: )"\w+"', r'\1"' + "0" * 64 + '"',
     "is not the hash of"),
    ("no NestedInstallerFiles", "installer", r"\n    NestedInstallerFiles:\n(      .*\n)+", "\n",
     "needs NestedInstallerFiles"),
    ("PackageVersion as a number", "version", r'(PackageVersion: )"([^"]+)"', r"\1\2",
     "PackageVersion: {version} is not quoted"),
    ("PackageVersion as a YAML float", "installer", r'(PackageVersion: )"[^"]+"', r"\g<1>1.0",
     "PackageVersion: 1.0 is not quoted"),
    ("a path out of the archive", "installer", r"(RelativeFilePath: )", r"\1..\\",
     "leaves the archive"),
    ("a file not in the zip", "installer", r"(RelativeFilePath: )\S+", r"\1Other.exe",
     "Other.exe is not in"),
    ("another type in the header", "defaultLocale", r"(winget-manifest\.)defaultLocale",
     r"\1locale", "is not the schema header"),
    ("another version in one file", "defaultLocale", r'(PackageVersion: )"[^"]+"', r'\1"9.9"',
     "PackageVersion 9.9, not"),
]


def self_check(folder, zip_path, version):
    """Problems of the check itself: a mutation that passes, or fails for another reason."""
    failures = []
    for what, kind, pattern, replacement, expected in MUTATIONS:
        expected = expected.format(version=version)
        with tempfile.TemporaryDirectory() as temporary:
            copy = Path(temporary) / folder.name
            shutil.copytree(folder, copy)
            target = next(path for path in copy.glob("*.yaml")
                          if f"\nManifestType: {kind}\n" in path.read_text("utf-8"))
            text, count = re.subn(pattern, replacement, target.read_text("utf-8"))
            target.write_text(text, "utf-8")
            found = problems(copy, zip_path, version) if count == 1 else []
        named = [problem for problem in found if expected in problem]
        if named:
            print(f"self-check: {what} fails: {named[0]}")
        else:
            failures.append(f"self-check: {what} ({count} change(s) to {target.name}) gives "
                            f"{found or 'no problem'}, none naming {expected!r}")
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder", type=Path)
    parser.add_argument("zip", type=Path)
    parser.add_argument("version")
    parser.add_argument("--self-check", action="store_true")
    args = parser.parse_args()
    found = problems(args.folder, args.zip, args.version)
    if not found and args.self_check:
        found = self_check(args.folder, args.zip, args.version)
    for problem in found:
        print(problem, file=sys.stderr)
    if not found:
        print(f"{args.folder}: valid against {SCHEMAS}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
