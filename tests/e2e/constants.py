"""What the tests, the benchmarks and scripts/run.sh know about the program and
the test prefix, defined once: paths, registry keys, file names, captions,
menu key paths and the web and mail targets."""

EXE_NAME = "VelmoroUninstaller.exe"
CAPTION = "Velmoro Uninstaller"  # the application window's title and the error boxes' caption
FORM_CAPTION = "Velmoro Uninstall"  # the hidden host form's
ABOUT_CAPTION = "About " + CAPTION

# Where the program lives inside every test prefix (a folder with a blank in
# its name, as on a real machine); Updater.exe is looked for beside it.
APP_DIR_WIN = r"C:\Program Files\Velmoro Uninstaller"
APP_EXE_WIN = APP_DIR_WIN + "\\" + EXE_NAME
UPDATER_WIN = APP_DIR_WIN + r"\Updater.exe"
# The helper tools; fixtures/handlers.reg names this folder.
TOOLS_DIR_WIN = r"C:\velmoro-e2e"
TOOL_NAMES = ("recorder.exe", "inspector.exe", "launcher.exe", "holder.exe", "sortcheck.exe",
              "session.exe", "tinted.exe", "menu_probe.exe")
RECORDER_WIN = TOOLS_DIR_WIN + r"\recorder.exe"
INSPECTOR_WIN = TOOLS_DIR_WIN + r"\inspector.exe"
LAUNCHER_WIN = TOOLS_DIR_WIN + r"\launcher.exe"
SESSION_WIN = TOOLS_DIR_WIN + r"\session.exe"
MENU_PROBE = "menu_probe.exe"
MENU_PROBE_WIN = TOOLS_DIR_WIN + "\\" + MENU_PROBE
# A program whose first icon is one opaque colour at every size the menu draws
# (tools/make_tinted_icon.py), to be told apart from any other in a screenshot.
TINTED_WIN = TOOLS_DIR_WIN + r"\tinted.exe"
TINT_RGB = (0, 200, 0)
LOGS_DIR_WIN = TOOLS_DIR_WIN + r"\logs"
# winget, in a folder on the user's PATH (fixtures/user-path.reg), as Windows puts its app
# execution aliases there.
WINGET_WIN = TOOLS_DIR_WIN + r"\WindowsApps\winget.exe"
SYSTEM_DIR_WIN = r"C:\windows\system32"

# The data files, under the machine's common application-data folder.
PROGRAM_DATA_WIN = r"C:\ProgramData"
VENDOR_DIR_WIN = PROGRAM_DATA_WIN + r"\Quinsett"
DATA_DIR_WIN = VENDOR_DIR_WIN + r"\Velmoro Uninstaller"
ALL_DAT = "All.dat"
RECENT_DAT = "Recent.dat"
ALL_DAT_WIN = DATA_DIR_WIN + "\\" + ALL_DAT
RECENT_DAT_WIN = DATA_DIR_WIN + "\\" + RECENT_DAT
SEPARATOR = "<#>"  # between display name and command in "All.dat"
# The user's own data folder, under the local application-data folder of the
# prefix's one user, and the first lines of its files (UTF-8).
USER_DATA_GLOB = "drive_c/users/*/AppData/Local/Quinsett/Velmoro Uninstaller"
USER_ALL_HEADER = "Velmoro Uninstaller, UTF-8: the programs seen by this user"
USER_RECENT_HEADER = "Velmoro Uninstaller, UTF-8: the recent programs of this user"

UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# Programs installed for the current user only.
USER_UNINSTALL_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# The 32-bit view, as the 64-bit view reaches it.
UNINSTALL_KEY_32 = (r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows"
                    r"\CurrentVersion\Uninstall")
SHELL_FOLDERS_KEY = (r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion"
                     r"\Explorer\Shell Folders")

# Key paths through the menu, from nothing highlighted. The top level is "All
# Programs", "Recent Programs", separator, "Velmoro Uninstaller Pro", "Exit";
# the arrow keys skip separators. Right opens a submenu with its first item
# highlighted; the Pro submenu holds "Check for Updates", "Visit Web Site",
# "Send Email", separator, "About...".
TO_ALL_PROGRAMS = ["Down"]
TO_RECENT_PROGRAMS = ["Down", "Down"]
TO_PRO = ["Down", "Down", "Down"]
TO_EXIT = ["Down", "Down", "Down", "Down"]
TO_FIRST_PROGRAM = TO_ALL_PROGRAMS + ["Right"]
TO_FIRST_RECENT = TO_RECENT_PROGRAMS + ["Right"]
TO_CHECK_FOR_UPDATES = TO_PRO + ["Right"]
TO_VISIT_WEB_SITE = TO_CHECK_FOR_UPDATES + ["Down"]
TO_SEND_EMAIL = TO_VISIT_WEB_SITE + ["Down"]
TO_ABOUT = TO_SEND_EMAIL + ["Down"]

WEB_URL = "http://www.quinsett.example/velmoro-uninstaller/?vid=1.0"
MAIL_LINK = "mailto:support@quinsett.example?subject=velmoro-uninstaller_1.0"
