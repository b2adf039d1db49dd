#!/usr/bin/env bash
# Builds the program, makes a demo Wine prefix (build/demo-prefix) whose
# uninstall registry holds fourteen sample programs, two of them named beyond
# ASCII, most with an icon of one of Wine's own programs, with harmless stand-in
# uninstallers (copies of the test recorder, which
# only logs its command line to build/demo-uninstall.log), and starts the
# program in it.
# With a DISPLAY the menu appears on it and the script waits for the program
# to end. Without one it starts Xvfb, waits for the menu, saves build/menu.png
# and ends the program with Escape.
# --screenshot: always on a private Xvfb, and after build/menu.png it also
# opens "All Programs" and saves both menus as docs/menu.png, then opens the
# first program's own menu and saves the three as docs/program-menu.png: the
# README's pictures.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

python3 - "$@" <<'PY'
import os
import sys
from pathlib import Path

root = Path.cwd()
sys.path.insert(0, str(root / "tests" / "e2e"))
import harness as h

# Names, and where their icons come from ("DisplayIcon"): Wine's own programs
# stand in for the sample programs' files; without one, the generic icon.
SYS = "C:\\windows\\system32\\"
SAMPLES = [
    ("Acme Photo Studio 4", "C:\\windows\\regedit.exe"), ("Bolt Archiver", SYS + "winefile.exe"),
    ("Cobalt Media Player", "C:\\windows\\explorer.exe"),
    ("Delta Notes", "C:\\windows\\notepad.exe"), ("Ember Code Editor 2.1", SYS + "cmd.exe"),
    ("Fjord Backup", None), ("Gamma Spreadsheet", SYS + "winemine.exe"),
    ("Helix PDF Viewer", SYS + "winhlp32.exe"), ("Iris Screen Recorder", "C:\\windows\\hh.exe"),
    ("Juno Mail", SYS + "iexplore.exe"), ("Krypton VPN Client", SYS + "winecfg.exe"),
    ("Lumen Font Manager", SYS + "progman.exe"), ("Équipe Planner", SYS + "msiexec.exe"),
    ("Мой Офис", SYS + "taskmgr.exe"),
]

PRODUCT_CODE = "{4C3E2A10-7B6D-4E5F-9A8B-1C2D3E4F5A6B}"

demo = root / "build" / "demo-prefix"
docs_shot = "--screenshot" in sys.argv[1:]
own_display = docs_shot or not os.environ.get("DISPLAY")
x = h.XServer().start() if own_display else None
display = x.display if x else os.environ["DISPLAY"]
try:
    prefix = h.Prefix("demo", display)
    prefix.path = demo
    prefix.logs = root / "build" / "demo-logs"
    prefix.logs.mkdir(parents=True, exist_ok=True)
    if not (demo / ".velmoro-base-ready").is_file():
        print("run: making the demo Wine prefix (once, about 20 s)", flush=True)
        h.make_base_prefix(demo)
    prefix.install_tools()
    exe = prefix.install_app()
    subkeys = {}
    for index, (name, icon) in enumerate(SAMPLES):
        folder = f"C:\\Program Files\\{name}"
        uninstaller = folder + "\\uninstall.exe"
        prefix.install_recorder(uninstaller)
        command = f'"{uninstaller}" /S' if index % 2 else uninstaller
        subkey = PRODUCT_CODE if index == 0 else f"Demo{index:02d}"
        subkeys[subkey] = h.entry_values(name, command) | {
            "DisplayVersion": h.reg_sz(f"{index + 1}.{index % 4}"),
            "Publisher": h.reg_sz(name.split()[0] + " Software"),
            "InstallLocation": h.reg_sz(folder)}
        if icon:
            subkeys[subkey]["DisplayIcon"] = h.reg_sz(icon + ",0")
    # The first is a Windows Installer product with every detail its own menu shows.
    subkeys[PRODUCT_CODE] |= {
        "UninstallString": h.reg_sz(f"MsiExec.exe /X{PRODUCT_CODE}"), "WindowsInstaller": "dword:00000001",
        "InstallDate": h.reg_sz("20240307"), "EstimatedSize": "dword:0003d090",
        "URLInfoAbout": h.reg_sz("https://acme.example/photo-studio")}
    prefix.reg_import_text(h.uninstall_reg(subkeys), "demo-programs")

    log = root / "build" / "demo-uninstall.log"
    if x:
        x.move_pointer(420, 240)
    app = h.App(prefix, [exe], "demo", log)
    if x:
        menu = h.wait_menu(x, app, timeout=60)[0]
        print(f"run: menu shown at {menu.x},{menu.y} after "
              f"{h.time.monotonic() - app.started:.2f} s", flush=True)
        shot = root / "build" / "menu.png"

        def area(m):
            return f"{m.width}x{m.height}+{m.x}+{m.y}"

        # A window is mapped a moment before it is painted: wait until every
        # menu's area is mostly light and the same on two screenshots running.
        def wait_painted(menus):
            seen = [None]

            def painted():
                x.screenshot(shot)
                now = [x.run(["convert", str(shot), "-crop", area(m), "-colorspace", "Gray",
                              "-format", "%[fx:mean] %#", "info:"]).stdout.split()
                       for m in menus]
                steady, seen[0] = now == seen[0], now
                return steady and all(float(mean) > 0.5 for mean, _ in now)
            h.wait_until(painted, 20, 0.2, "the menu to be painted")

        # The menus on a transparent ground, with a margin around them, as docs/<name>.
        def save_menus(menus, name):
            wait_painted(menus)
            margin = 12
            left = min(m.x for m in menus) - margin
            top = min(m.y for m in menus) - margin
            right = max(m.x + m.width for m in menus) + margin
            bottom = max(m.y + m.height for m in menus) + margin
            args = ["convert", "-size", x.size.rsplit("x", 1)[0], "xc:none"]
            for m in menus:
                args += ["(", str(shot), "-crop", area(m), "+repage", ")",
                         "-geometry", f"+{m.x}+{m.y}", "-composite"]
            picture = root / "docs" / name
            picture.parent.mkdir(exist_ok=True)
            x.run(args + ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                          "-strip", str(picture)])
            print(f"run: saved {picture.relative_to(root)}", flush=True)

        wait_painted([menu])
        print(f"run: saved {shot.relative_to(root)}", flush=True)
        if docs_shot:
            # "All Programs" open, its first program highlighted; then that program's own menu.
            x.keys("Down", "Right")
            save_menus(h.wait_menu(x, app, timeout=20, count=2), "menu.png")
            x.keys("Menu")
            save_menus(h.wait_menu(x, app, timeout=20, count=3), "program-menu.png")
            x.keys("Escape", "Escape")
        x.keys("Escape")
        print(f"run: the program ended with status {app.wait(30)}")
    else:
        print(f"run: the menu is on {display}; waiting for the program to end", flush=True)
        print(f"run: the program ended with status {app.wait(24 * 3600)}")
        for launch in h.Prefix.launches(log):
            print(f"run: started {launch.module} {launch.arguments}")
finally:
    h.kill_wineserver(demo)
    if x:
        x.stop()
PY
