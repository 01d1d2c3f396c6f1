"""The launcher window as a user sees it: class, caption, client size, the
controls at their pixel positions with their bitmaps' sizes, the check box
text, the shield icon, nothing drawn focused, and a screenshot that shows
the background bitmap wherever no control covers it; the check box
toggles. Ends by pressing the close button."""

import os
import sys
import time

import images
from launcher_session import (CHOOSE_FOLDER_TEXT, ID_CANCEL, ID_CHOOSE_FOLDER, ID_GUIDE, ID_OK,
                              ID_READER, WINDOW_CLASS, WINDOW_TITLE, Failures, Launchers, arguments)

BS_TYPEMASK = 0x0F
BS_AUTOCHECKBOX = 0x03
BS_OWNERDRAW = 0x0B
PICTURE_ID = -1

# Bitmap buttons: client position and the file of their normal and focus faces.
BITMAP_BUTTONS = {
    ID_OK: ((125, 242), "install_normal.bmp", "install_focus.bmp"),
    ID_GUIDE: ((125, 342), "guide_normal.bmp", "guide_focus.bmp"),
    ID_READER: ((393, 342), "reader.bmp", None),
    ID_CANCEL: ((515, 401), "close_normal.bmp", "close_focus.bmp"),
}
CHECK_BOX_POSITION = (215, 303)
# The corner of Install where the shield icon is drawn.
ICON_CORNER = (0, 0, 32, 32)
# Share of compared pixels that may differ (antialiased edges of controls).
BACKGROUND_TOLERANCE = 0.002
BUTTON_TOLERANCE = 0.01
SCREENSHOT_ATTEMPTS_S = 15


def grow(rect, by):
    x, y, w, h = rect
    return (x - by, y - by, w + 2 * by, h + 2 * by)


def compare_screen(shot, info, bitmaps, shield):
    """Differences between the screenshot and what the window should show:
    {name: (compared, differing, allowed share)}."""
    origin = tuple(info["client_origin"])
    covered = [grow(c["rect"], 1) for c in info["controls"] if c["id"] != PICTURE_ID and c["visible"]]
    results = {"background": images.compare(shot, origin, bitmaps["background.bmp"], skip=covered)
               + (BACKGROUND_TOLERANCE,)}
    for control_id, (position, normal, focus) in BITMAP_BUTTONS.items():
        at = (origin[0] + position[0], origin[1] + position[1])
        skip = [ICON_CORNER] if control_id == ID_OK else []
        results["button %d normal face" % control_id] = (
            images.compare(shot, at, bitmaps[normal], skip=skip) + (BUTTON_TOLERANCE,))
        if focus:
            results["button %d focus face" % control_id] = images.compare(shot, at, bitmaps[focus], skip=skip)
    if shield:
        at = (origin[0] + 125, origin[1] + 242)
        results["install icon corner"] = images.compare(
            shot, at, bitmaps["install_normal.bmp"], at=(0, 0), size=(32, 32))
    return results


def looks_right(results, shield):
    for name, result in results.items():
        if len(result) == 3:
            compared, differing, allowed = result
            if compared == 0 or differing > compared * allowed:
                return False
    if shield and results["install icon corner"][1] == 0:
        return False
    return True


def main():
    args = arguments(__doc__)
    os.makedirs(args.out, exist_ok=True)
    failures = Failures()
    launchers = Launchers(args)
    driver = launchers.driver
    bitmap_dir = os.path.join(args.source, "res", "bitmaps")
    bitmaps = {name: images.read_bmp8(os.path.join(bitmap_dir, name))
               for name in ["background.bmp", "install_normal.bmp", "install_focus.bmp", "guide_normal.bmp",
                            "guide_focus.bmp", "reader.bmp", "close_normal.bmp", "close_focus.bmp"]}
    # Keep the pointer off the buttons: a hovered button shows its hover face.
    driver.move_cursor(0, 1023)
    shield = driver.shield_icon_available()
    try:
        pid, info = launchers.start(args.launcher)
        hwnd = info["hwnd"]
        failures.equal(WINDOW_CLASS, info["class"], "window class")
        failures.equal(WINDOW_TITLE, info["caption"], "caption (text 109)")
        failures.equal([640, 440], info["client_size"], "client area")
        controls = {c["id"]: c for c in info["controls"]}
        failures.equal([PICTURE_ID, ID_CANCEL, ID_OK, ID_CHOOSE_FOLDER, ID_GUIDE, ID_READER],
                       [c["id"] for c in info["controls"]], "controls in order")

        picture = controls.get(PICTURE_ID, {})
        failures.equal([0, 0, 640, 440], picture.get("rect"), "background picture rectangle")
        failures.check(picture.get("image_bitmap"), "background picture shows a bitmap")

        for control_id, (position, normal, _) in BITMAP_BUTTONS.items():
            c = controls.get(control_id, {})
            size = [bitmaps[normal].width, bitmaps[normal].height]
            failures.equal(list(position) + size, c.get("rect"), "button %d rectangle" % control_id)
            failures.equal(BS_OWNERDRAW, c.get("style", 0) & BS_TYPEMASK, "button %d owner-drawn" % control_id)
            failures.check(c.get("enabled"), "button %d enabled" % control_id)
            failures.check(not c.get("focus_state"), "button %d not drawn focused" % control_id)

        box = controls.get(ID_CHOOSE_FOLDER, {})
        failures.equal(list(CHECK_BOX_POSITION), box.get("rect", [None, None])[:2], "check box position")
        failures.equal(CHOOSE_FOLDER_TEXT, box.get("text"), "check box text (text 110)")
        failures.equal(BS_AUTOCHECKBOX, box.get("style", 0) & BS_TYPEMASK, "check box style")
        failures.check(not box.get("checked"), "check box starts cleared")
        failures.check(not box.get("focus_state"), "check box not drawn focused")

        if shield:
            failures.check(controls.get(ID_OK, {}).get("image_icon"), "Install holds the shield icon as its image")
        else:
            print("note: this system's user32 has no shield icon; the icon checks are skipped")

        # The window may still be painting: look again until it looks right.
        shot_path = os.path.join(args.out, "launcher_window.png")
        deadline = time.monotonic() + SCREENSHOT_ATTEMPTS_S
        while True:
            shot = images.screenshot(shot_path)
            results = compare_screen(shot, info, bitmaps, shield)
            if looks_right(results, shield) or time.monotonic() > deadline:
                break
            time.sleep(1)
        print("screenshot: " + shot_path)
        for name, result in sorted(results.items()):
            print("  %-28s %d of %d pixels differ" % (name, result[1], result[0]))
        for name, result in results.items():
            if len(result) == 3:
                compared, differing, allowed = result
                failures.check(compared > 0 and differing <= compared * allowed,
                               "%s: %d of %d pixels differ from the bitmap" % (name, differing, compared))
        for control_id, (_, _, focus) in BITMAP_BUTTONS.items():
            if focus:
                # The comparison can tell faces apart: the focus face differs.
                failures.check(results["button %d focus face" % control_id][1] > 0,
                               "button %d shows its focus face" % control_id)
        if shield:
            failures.check(results["install icon corner"][1] > 0, "the shield icon shows on Install")

        # The check box is the user's to toggle; the window changes nothing else.
        failures.check(driver.toggle(hwnd, ID_CHOOSE_FOLDER) is True, "a click checks the check box")
        failures.check(driver.toggle(hwnd, ID_CHOOSE_FOLDER) is False, "a second click clears it")
        after = {c["id"]: c for c in driver.info(hwnd)["controls"]}
        failures.check(all(after[i]["enabled"] for i in BITMAP_BUTTONS), "buttons stay enabled")

        driver.click(hwnd, ID_CANCEL)
        failures.check(launchers.wait_end(pid), "the close button ends the launcher")
    finally:
        launchers.end_all()
    return failures.exit_status()


if __name__ == "__main__":
    sys.exit(main())
