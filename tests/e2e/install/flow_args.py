"""Command-line arguments shared by the install and manual case scripts."""

import argparse


def arguments(description, cases):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--emulator", required=True, help="wine-run.sh of the build")
    parser.add_argument("--driver", required=True, help="ovn_driver.exe")
    parser.add_argument("--launcher", required=True, help="ovn6launcher.exe")
    parser.add_argument("--standin", required=True, help="ovn_standin_setup.exe")
    parser.add_argument("--file-attempts", required=True, help="ovn_file_attempts.exe")
    parser.add_argument("--post-command", required=True, help="ovn_post_command.exe")
    parser.add_argument("--source", required=True, help="the project's source folder")
    parser.add_argument("--out", required=True, help="folder for the per-test media")
    parser.add_argument("--prefix", required=True, help="the build's Wine prefix")
    parser.add_argument("--list-port", type=int, required=True, help="port of the list file's server")
    parser.add_argument("--recorder-reg", help="the shell recorder's .reg file, to restore it")
    parser.add_argument("--case", required=True, choices=sorted(cases))
    return parser.parse_args()
