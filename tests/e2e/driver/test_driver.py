"""The driver against a program of known behaviour: it finds a message box
that a worker thread shows, reads its text, icon and buttons, answers it by
button id, and sees the program end with that answer."""

import argparse
import sys

from ovn_driver import Driver

QUESTION = "一行目の質問です。\n二行目です。"
CAPTION = "message_box_fixture"
IDYES = 6
IDNO = 7


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--fixture", required=True)
    args = parser.parse_args()
    driver = Driver(args.emulator, args.driver)
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL: " + message)

    pid = driver.start(args.fixture)
    try:
        box = driver.wait_message_box(pid)
        check(box["class"] == "#32770", "message box class: %r" % box["class"])
        check(box["caption"] == CAPTION, "caption: %r" % box["caption"])
        check(box.get("message") == QUESTION, "message text: %r" % box.get("message"))
        check(box.get("message_icon") is True, "message icon shown")
        check(box["owner"] != "", "the box has an owner window")
        buttons = sorted(c["id"] for c in box["controls"] if c["class"].lower() == "button")
        check(buttons == [IDYES, IDNO], "buttons: %r" % buttons)
        driver.answer(box["hwnd"], IDNO)
        result = driver.wait_exit(pid, timeout_ms=20000)
        check(result["ended"] and result["exit_code"] == IDNO, "answer reached the program: %r" % result)
    finally:
        if not (driver.wait_exit(pid, timeout_ms=1000) or {}).get("ended"):
            driver.kill(pid, args.fixture)
    print("%d check(s) failed" % len(failures) if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
