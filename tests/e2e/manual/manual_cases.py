"""The manual run and the reader button end to end, one case per invocation
(--case): which manual opens and when message 112 asks, a second guide
press during a run, a manual run beside an install run, and the reader
page with its message 111."""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "install"))

from flow_session import (CAPITALS_WEB_PAGE, ID_GUIDE, ID_OK, ID_READER, IDNO, IDOK, IDYES, LIST_PATH,  # noqa: E402
                          MANUAL_PAGE, NON_WEB_PAGES, NON_WEB_PROGRAM, READER_PAGE_PATH, SUPPORT_PAGE_PATH, md5, poll,
                          run_case)

# How long a test watches for something that must not happen.
QUIET_S = 4


def manual_line(digest, page=MANUAL_PAGE):
    return "both manual %s %s" % (digest, page)


def list_with_manual(s, digest, page=MANUAL_PAGE):
    # The list needs an installer entry to count as usable.
    return [s.setup_line(md5(b"installer")), manual_line(digest, page)]


def is_support_page(page):
    return page.startswith("http://") and page.endswith(SUPPORT_PAGE_PATH)


def opened_manual(s):
    return [line.lower() for line in s.shell_opened()] == [s.manual_windows_path.lower()]


def matching_manual_opens_local(s):
    digest = s.put_manual()
    s.serve(list_with_manual(s, digest))
    s.start()
    s.click(ID_GUIDE)
    s.wait_run_end(s.shell_opened)
    s.failures.check(opened_manual(s), "the local manual opened: %r" % s.shell_opened())


def differing_manual_asks(s):
    s.put_manual()
    s.serve(list_with_manual(s, md5(b"a newer manual")))
    s.start()
    s.click(ID_GUIDE)
    s.expect_box(112, IDYES)
    s.wait_run_end(s.shell_opened)
    s.failures.equal([MANUAL_PAGE], s.shell_opened(), "Yes opens the latest manual's page")
    os.remove(s.shell_log)
    s.click(ID_GUIDE)
    s.expect_box(112, IDNO)
    s.wait_run_end(s.shell_opened)
    s.failures.check(opened_manual(s), "No opens the local manual: %r" % s.shell_opened())


def no_manual_no_list_offers_support_page(s):
    s.serve(None)
    s.start()
    s.click(ID_GUIDE)
    s.expect_box(112, IDYES)
    s.wait_run_end(s.shell_opened)
    pages = s.shell_opened()
    s.failures.check(len(pages) == 1 and is_support_page(pages[0]), "Yes opens the support page: %r" % pages)
    os.remove(s.shell_log)
    s.click(ID_GUIDE)
    s.expect_box(112, IDNO)
    s.wait_idle()
    time.sleep(1)
    s.failures.equal([], s.shell_opened(), "No without a manual opens nothing")


def manual_page_only_when_web(s):
    # A manual page that is no web address counts as none: Yes opens the
    # support page instead.
    s.start()
    for page in NON_WEB_PAGES + (CAPITALS_WEB_PAGE,):
        print("page " + page, flush=True)
        s.serve(list_with_manual(s, md5(b"a newer manual"), page))
        if os.path.exists(s.shell_log):
            os.remove(s.shell_log)
        s.click(ID_GUIDE)
        s.expect_box(112, IDYES)
        s.wait_run_end(s.shell_opened)
        pages = s.shell_opened()
        if page == CAPITALS_WEB_PAGE:
            s.failures.equal([page], pages, "Yes opens the web page")
        else:
            s.failures.check(len(pages) == 1 and is_support_page(pages[0]),
                             "Yes opens the support page for %s: %r" % (page, pages))
    s.check_not_started(NON_WEB_PROGRAM)


def server_down_opens_local_manual(s):
    s.put_manual()  # and nothing listens on the list file's port
    s.start()
    s.click(ID_GUIDE)
    s.wait_run_end(s.shell_opened)
    s.failures.check(opened_manual(s), "the local manual opened: %r" % s.shell_opened())


def guide_again_during_run_starts_nothing(s):
    s.put_manual()
    s.serve(list_with_manual(s, md5(b"a newer manual")), gates=[LIST_PATH])
    s.start()
    s.click(ID_GUIDE)
    s.failures.check(s.wait_arrived(LIST_PATH), "list file asked for")
    s.failures.check(not s.controls()[ID_GUIDE]["enabled"], "guide disabled during the run")
    s.post_command(ID_GUIDE)  # past the disabled button
    s.check_close_refused()
    time.sleep(1)
    s.open_gate(LIST_PATH)
    s.expect_box(112, IDYES)
    s.wait_run_end(s.shell_opened)
    time.sleep(1)
    s.failures.equal([LIST_PATH], s.requests(), "requests (one run)")
    s.failures.equal([], s.message_boxes(), "message boxes")
    s.failures.equal([MANUAL_PAGE], s.shell_opened(), "pages opened")


def guide_during_install_runs_in_parallel(s):
    s.put_manual()
    s.serve(None)
    s.start()
    s.click(ID_OK)
    box = s.wait_box(105)  # the install run waits on its message
    s.click(ID_GUIDE)
    s.failures.check(poll(s.shell_opened, 30), "the manual run opened something meanwhile")
    s.failures.check(opened_manual(s), "the local manual opened: %r" % s.shell_opened())
    s.failures.check(poll(lambda: s.controls()[ID_GUIDE]["enabled"], 10), "guide enabled after its run")
    s.failures.check(not s.controls()[ID_OK]["enabled"], "Install still disabled")
    s.answer(box, IDOK)
    s.wait_idle()


def reader_opens_page_then_tells(s):
    s.start()
    s.click(ID_READER)
    box = s.wait_box(111)
    pages = s.shell_opened()
    s.failures.check(len(pages) == 1 and pages[0].startswith("http://") and pages[0].endswith(READER_PAGE_PATH),
                     "the reader page opened before message 111: %r" % pages)
    s.answer(box, IDOK)
    s.wait_idle()


def reader_double_click_opens_once(s):
    # The second of two fast clicks arrives as a double click, which the
    # launcher window does not take for a second click.
    s.start()
    s.driver.double_click(s.hwnd, ID_READER)
    box = s.wait_box(111)
    time.sleep(QUIET_S)
    s.failures.equal(1, len(s.message_boxes()), "message boxes after a double click")
    s.failures.equal(1, len(s.shell_opened()), "pages opened by a double click")
    s.answer(box, IDOK)
    time.sleep(QUIET_S)
    s.failures.equal([], s.message_boxes(), "message boxes after the answer")
    s.wait_idle()


def reader_shell_failure_shows_nothing(s):
    # Web pages go to a program that does not exist while this case runs.
    broken = tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False, encoding="ascii")
    broken.write('REGEDIT4\n\n[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]\n'
                 '@="\\"Z:\\\\nonexistent\\\\no-browser.exe\\" \\"%1\\""\n')
    broken.close()
    try:
        regedit(s, broken.name)
        s.start()
        s.click(ID_READER)
        time.sleep(QUIET_S)
        s.failures.equal([], s.message_boxes(), "message boxes")
        s.failures.equal([], s.shell_opened(), "pages opened")
        s.wait_idle()
    finally:
        regedit(s, s.args.recorder_reg)
        os.remove(broken.name)


def regedit(s, reg_file):
    windows = "Z:" + os.path.abspath(reg_file).replace("/", "\\")
    subprocess.run([s.args.emulator, "regedit", "/S", windows], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True)


CASES = {f.__name__: f for f in [
    matching_manual_opens_local, differing_manual_asks, no_manual_no_list_offers_support_page,
    manual_page_only_when_web, server_down_opens_local_manual, guide_again_during_run_starts_nothing, guide_during_install_runs_in_parallel,
    reader_opens_page_then_tells, reader_double_click_opens_once, reader_shell_failure_shows_nothing]}


def main():
    return run_case(__doc__, CASES, "manual_")


if __name__ == "__main__":
    sys.exit(main())
