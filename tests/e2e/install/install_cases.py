"""The install run end to end, one case per invocation (--case): every row
of its decision table, the extra cases around which setup runs and how, and
the hold that keeps a checked setup program unchanged until it starts."""

import os
import sys
import time

from flow_session import (CAPITALS_WEB_PAGE, ID_OK, IDNO, IDOK, IDYES, LIST_PATH, LIST_PLATFORM, NON_WEB_PAGES,
                          NON_WEB_PROGRAM, OTHER_SETUP_NAME, RELEASE_PAGE, SETUP_NAME, SETUP_URL_PATH, TEXT, md5, poll,
                          run_case)

# Longer than the launcher's 5000 ms wait for a setup.
LONG_SETUP_MS = 8000


def newer_release_line(page=RELEASE_PAGE):
    return "%s 10.0.0.0 - %s" % (LIST_PLATFORM, page)


def no_list_no_setup(s):
    s.serve(None)
    s.start()
    s.click(ID_OK)
    box = s.wait_box(105)
    s.check_close_refused()
    s.answer(box, IDOK)
    s.wait_idle()
    s.failures.equal([], s.runs(), "setup starts")


def no_list_setup_at_hand(s):
    s.put_medium_setup()
    s.serve(None)
    s.start()
    s.click(ID_OK)
    s.expect_box(104, IDYES)
    s.wait_run_end(s.runs)
    s.check_one_run("medium", easy=True, with_log=False)
    s.failures.equal([LIST_PATH], s.requests(), "requests")


def newer_release_yes_opens_page(s):
    digest = s.put_medium_setup()
    s.serve([newer_release_line(), s.setup_line(digest)])
    s.start()
    s.click(ID_OK)
    s.expect_box(106, IDYES, argument="10.0.0.0")
    s.wait_run_end(s.shell_opened)
    s.failures.equal([RELEASE_PAGE], s.shell_opened(), "pages opened")
    s.failures.equal([], s.runs(), "setup starts")


def newer_release_page_only_when_web(s):
    # Yes to a page that is no web address opens nothing and ends the run,
    # as for a list without a page.
    digest = s.put_medium_setup()
    s.start()
    for page in NON_WEB_PAGES + (CAPITALS_WEB_PAGE,):
        print("page " + page, flush=True)
        s.serve([newer_release_line(page), s.setup_line(digest)])
        s.click(ID_OK)
        s.expect_box(106, IDYES, argument="10.0.0.0")
        s.wait_idle()
    s.failures.check(poll(s.shell_opened, 30), "the web page opened")
    s.failures.equal([CAPITALS_WEB_PAGE], s.shell_opened(), "pages opened")
    s.failures.equal([], s.runs(), "setup starts")
    s.check_not_started(NON_WEB_PROGRAM)


def newer_release_no_then_no(s):
    digest = s.put_medium_setup()
    s.serve([newer_release_line(), s.setup_line(digest)])
    s.start()
    s.click(ID_OK)
    s.expect_box(106, IDNO, argument="10.0.0.0")
    s.expect_box(107, IDNO)
    s.wait_idle()
    s.failures.equal([], s.runs(), "setup starts")
    s.failures.equal([], s.shell_opened(), "pages opened")


def newer_release_no_then_yes(s):
    # The list names only the newer release: no digest to compare, so the
    # setup at hand runs without a download.
    s.put_medium_setup()
    s.serve([newer_release_line()])
    s.start()
    s.click(ID_OK)
    s.expect_box(106, IDNO, argument="10.0.0.0")
    s.expect_box(107, IDYES)
    s.wait_run_end(s.runs)
    s.check_one_run("medium", easy=True, with_log=False)
    s.failures.equal([LIST_PATH], s.requests(), "requests")


def matching_digest_runs_setup_at_hand(s):
    digest = s.put_medium_setup()
    s.serve([s.setup_line(digest)], {SETUP_URL_PATH: b"never fetched"})
    s.start(check_box=True)
    s.click(ID_OK)
    s.wait_run_end(s.runs)
    s.check_one_run("medium", easy=False, with_log=False)
    s.failures.equal([LIST_PATH], s.requests(), "requests (no download)")
    s.failures.check(not os.path.exists(os.path.join(s.medium_setup_dir, "instlog.txt")),
                     "nothing written on the medium")


def download_runs_with_log(s):
    s.put_medium_setup()  # its digest differs from the list's
    download = s.setup_bytes("current release")
    s.serve([s.setup_line(md5(download))], {SETUP_URL_PATH: download}, gates=[LIST_PATH, SETUP_URL_PATH])
    s.start()
    s.click(ID_OK)
    # The progress window tells what the run waits for.
    s.failures.check(s.wait_arrived(LIST_PATH), "list file asked for")
    s.failures.check(poll(lambda: s.progress_text() == TEXT[113], 10), "progress text 113 while checking")
    s.failures.check(not s.controls()[ID_OK]["enabled"], "Install disabled during the run")
    s.open_gate(LIST_PATH)
    s.failures.check(s.wait_arrived(SETUP_URL_PATH), "setup download asked for")
    s.failures.check(poll(lambda: s.progress_text() == TEXT[114], 10), "progress text 114 while downloading")
    s.open_gate(SETUP_URL_PATH)
    s.write_ini(s.temp_setup_dir)  # the stand-in downloaded finds its settings
    s.wait_run_end(s.runs)
    s.check_one_run("temporary", easy=True, with_log=True)
    s.failures.equal(md5(download), s.temp_digest(), "downloaded setup in place")
    s.failures.check(s.temp_file("instlog.txt") is not None, "instlog.txt beside the downloaded setup")
    s.failures.equal([], [n for n in os.listdir(s.temp_setup_dir) if n.endswith(".download")],
                     "staging files left")


def download_fails_with_setup_at_hand(s):
    s.put_medium_setup()
    s.serve([s.setup_line(md5(b"other"))])  # the download answers 404
    s.start()
    s.click(ID_OK)
    s.expect_box(104, IDYES)
    s.wait_run_end(s.runs)
    s.check_one_run("medium", easy=True, with_log=False)


def download_fails_without_setup(s):
    s.serve([s.setup_line(md5(b"other"))])
    s.start()
    s.click(ID_OK)
    s.expect_box(105, IDOK)
    s.wait_idle()
    s.failures.equal([LIST_PATH, SETUP_URL_PATH], s.requests(), "requests")
    s.failures.equal(None, s.temp_file(), "nothing stored")


def digest_mismatch_keeps_earlier_download(s):
    earlier_digest = s.put_temp_setup()
    s.serve([s.setup_line(md5(b"the list's"))], {SETUP_URL_PATH: s.setup_bytes("tampered")})
    s.start()
    s.click(ID_OK)
    box = s.wait_box(104)
    s.failures.equal(earlier_digest, s.temp_digest(), "earlier download byte for byte")
    s.failures.equal(sorted([SETUP_NAME, "standin.ini"]), sorted(os.listdir(s.temp_setup_dir)),
                     "temporary folder while 104 is asked")
    s.answer(box, IDYES)
    s.wait_run_end(s.runs)
    s.check_one_run("temporary", easy=True, with_log=True)
    s.failures.equal(earlier_digest, s.temp_digest(), "the earlier download ran")


def digest_mismatch_without_setup(s):
    s.serve([s.setup_line(md5(b"the list's"))], {SETUP_URL_PATH: s.setup_bytes("tampered")})
    s.start()
    s.click(ID_OK)
    s.expect_box(105, IDOK)
    s.wait_idle()
    s.failures.equal([], s.runs(), "setup starts")
    s.failures.equal(None, s.temp_file(), "an unverified download is not kept")


def upper_case_digest_always_downloads(s):
    digest = s.put_medium_setup()
    s.serve([s.setup_line(digest.upper())], {SETUP_URL_PATH: s.setup_bytes("medium")})
    s.start()
    s.click(ID_OK)
    s.expect_box(104, IDNO)
    s.wait_idle()
    s.failures.equal([LIST_PATH, SETUP_URL_PATH], s.requests(), "requests")
    s.failures.equal([], s.runs(), "setup starts")


def temporary_setup_wins(s):
    s.put_medium_setup()
    digest = s.put_temp_setup()
    s.serve([s.setup_line(digest)])
    s.start(check_box=True)
    s.click(ID_OK)
    s.wait_run_end(s.runs)
    s.check_one_run("temporary", easy=False, with_log=True)
    s.failures.check(s.temp_file("instlog.txt") is not None, "instlog.txt beside the temporary setup")
    s.failures.equal([LIST_PATH], s.requests(), "requests (no download)")


def nothing_to_install(s):
    """Without a list and a setup that counts, Install can only say so."""
    s.serve(None)
    s.start()
    s.click(ID_OK)
    s.expect_box(105, IDOK)
    s.wait_idle()
    s.failures.equal([], s.runs(), "setup starts")


def only_this_processor_type(s):
    # 64-bit Windows looks for setup64.exe only, 32-bit Windows for setup32.exe.
    s.put_medium_setup(name=OTHER_SETUP_NAME)
    s.put_setup(s.temp_setup_dir, "the other processor's", name=OTHER_SETUP_NAME)
    nothing_to_install(s)


def refused_elevation(s):
    digest = s.put_medium_setup(exit_code=5)
    s.serve([s.setup_line(digest)])
    s.start()
    for code in (5, 1223):
        s.write_ini(s.medium_setup_dir, exit_code=code)
        before = len(s.runs())
        s.click(ID_OK)
        s.expect_box(108, IDOK)
        s.wait_idle()
        s.failures.equal(before + 1, len(s.runs()), "setup starts after exit code %d" % code)


def setup_still_running(s):
    digest = s.put_medium_setup(sleep_ms=LONG_SETUP_MS)
    s.serve([s.setup_line(digest)])
    s.start()
    started = time.monotonic()
    s.click(ID_OK)
    s.failures.check(poll(s.runs, 30), "setup started")
    s.failures.check(not s.idle(), "the run waits for the setup")
    s.wait_run_end(s.runs)
    waited = time.monotonic() - started
    s.failures.check(waited >= 5, "the run waited about 5 s (%.1f s)" % waited)
    s.failures.check(waited < LONG_SETUP_MS / 1000.0 + 5, "the run did not wait for the setup's end")


def changed_before_start_not_run(s):
    digest = s.put_medium_setup()
    s.serve([s.setup_line(digest)], gates=[LIST_PATH])
    s.start()
    s.click(ID_OK)
    s.failures.check(s.wait_arrived(LIST_PATH), "list file asked for")
    # Found and digested already; swapped while the list file is on its way.
    s.put_medium_setup(tag="swapped")
    s.open_gate(LIST_PATH)
    s.expect_box(105, IDOK)
    s.wait_idle()
    s.failures.equal([], s.runs(), "setup starts")


def held_setup_cannot_be_replaced(s):
    # The setup runs past the launcher's wait, so the launcher holds it for
    # the whole 5 s; another program tries to overwrite, rename and delete
    # it. The system already refuses writing or deleting a running
    # program's file; renaming it away is refused by the hold alone.
    digest = s.put_medium_setup(sleep_ms=LONG_SETUP_MS)
    s.serve([s.setup_line(digest)])
    s.start()
    s.click(ID_OK)
    s.failures.check(poll(s.runs, 30), "setup started")
    target = s.windows_medium_setup()
    results = s.file_attempts(target)
    s.failures.equal({"write": False, "delete": False, "rename": False}, results,
                     "what another program could do to the held setup")
    s.wait_run_end(s.runs)
    with open(os.path.join(s.medium_setup_dir, SETUP_NAME), "rb") as f:
        s.failures.equal(digest, md5(f.read()), "setup unchanged")


def install_command_during_run(s):
    # A second Install command while the run waits for the list file: the
    # run keeps its progress window and no second run starts.
    digest = s.put_medium_setup()
    s.serve([s.setup_line(digest)], gates=[LIST_PATH])
    s.start()
    s.click(ID_OK)
    s.failures.check(s.wait_arrived(LIST_PATH), "list file asked for")
    before = [w["hwnd"] for w in s.progress_windows()]
    s.post_command(ID_OK)
    s.check_close_refused()
    s.failures.equal(before, [w["hwnd"] for w in s.progress_windows()], "progress windows after a second Install")
    s.failures.equal(TEXT[113], s.progress_text(), "progress text after a second Install")
    s.open_gate(LIST_PATH)
    s.wait_run_end(s.runs)
    s.check_one_run("medium", easy=True, with_log=False)
    s.failures.equal([LIST_PATH], s.requests(), "requests")


# A launcher signed by its publisher starts only setups of that publisher,
# from the medium, the temporary folder or a download.
def signed_launcher_runs_its_publishers_download(s):
    s.sign_launcher()
    download = s.signed_setup_bytes("current release")
    s.serve([s.setup_line(md5(download))], {SETUP_URL_PATH: download}, gates=[SETUP_URL_PATH])
    s.start()
    s.click(ID_OK)
    s.failures.check(s.wait_arrived(SETUP_URL_PATH), "setup download asked for")
    s.write_ini(s.temp_setup_dir)  # the stand-in downloaded finds its settings
    s.open_gate(SETUP_URL_PATH)
    s.wait_run_end(s.runs)
    s.check_one_run("temporary", easy=True, with_log=True)
    s.failures.equal(md5(download), s.temp_digest(), "downloaded setup in place")


def signed_launcher_refuses_other_downloads(s):
    s.sign_launcher()
    refused = [("unsigned", s.signed_setup_bytes("unsigned", signer=None)),
               ("altered after signing", s.signed_setup_bytes("altered", altered=True)),
               ("another publisher", s.signed_setup_bytes("other", signer="other"))]
    s.serve(None)
    s.start()
    for what, download in refused:
        # Each digest matches the list: only the signature refuses it.
        s.serve([s.setup_line(md5(download))], {SETUP_URL_PATH: download})
        s.click(ID_OK)
        s.expect_box(105, IDOK)
        s.wait_idle()
        s.failures.equal([], s.runs(), "setup starts after a download %s" % what)
        s.failures.equal([], os.listdir(s.temp_setup_dir) if os.path.isdir(s.temp_setup_dir) else [],
                         "temporary folder after a download %s" % what)
    s.failures.equal([LIST_PATH, SETUP_URL_PATH] * len(refused), s.requests(), "requests")


def signed_launcher_passes_over_unsigned_setup_at_hand(s):
    s.sign_launcher()
    digest = s.put_medium_setup(data=s.signed_setup_bytes("medium"))
    s.put_temp_setup()  # unsigned: as if absent
    s.serve([s.setup_line(digest)])
    s.start()
    s.click(ID_OK)
    s.wait_run_end(s.runs)
    s.check_one_run("medium", easy=True, with_log=False)
    s.failures.equal([LIST_PATH], s.requests(), "requests")


# An unsigned setup on the medium of a signed launcher is as if absent: with
# no list, nothing can be installed.
def signed_launcher_passes_over_unsigned_medium_setup(s):
    s.sign_launcher()
    s.put_medium_setup()
    nothing_to_install(s)


CASES = {f.__name__: f for f in [
    no_list_no_setup, no_list_setup_at_hand, newer_release_yes_opens_page, newer_release_page_only_when_web,
    newer_release_no_then_no, newer_release_no_then_yes, matching_digest_runs_setup_at_hand, download_runs_with_log,
    download_fails_with_setup_at_hand, download_fails_without_setup, digest_mismatch_keeps_earlier_download,
    digest_mismatch_without_setup, upper_case_digest_always_downloads, temporary_setup_wins,
    only_this_processor_type, refused_elevation, setup_still_running, changed_before_start_not_run,
    held_setup_cannot_be_replaced, install_command_during_run, signed_launcher_runs_its_publishers_download,
    signed_launcher_refuses_other_downloads, signed_launcher_passes_over_unsigned_setup_at_hand,
    signed_launcher_passes_over_unsigned_medium_setup]}


def main():
    return run_case(__doc__, CASES, "install_")


if __name__ == "__main__":
    sys.exit(main())
