#!/usr/bin/env python3
"""site_check_test.py REPO STUB_BUILD_FOLDER MADE_SITE WORK_FOLDER
wevelink-check on the example site the build made: no finding, exit code 0;
on copies with one problem planted each (CASES) exactly one finding, at the
problem's file and line, and the exit code of its severity (1 warning, 2 error)."""
import os
import re
import shutil
import subprocess
import sys
import time

REPO, STUB, MADE_SITE, WORK = sys.argv[1:5]
CHECKER = os.environ.get('WEVELINK_SITECHECK',
                         os.path.join(REPO, 'build/native/tools/site-check/wevelink-check'))
SERVER = os.environ.get('WEVELINK_TESTSERVER',
                        os.path.join(REPO, 'build/native/tools/testserver/testserver'))
TRUST = os.path.join(STUB, 'cert/test-publisher.crt')
FINDING = re.compile(r'^(.*):(\d+): (error|warning): (.*)$')


# Edits of a site copy; each returns the line (from 1) its finding is on.
def lines_of(path):
    return open(path, newline='').read().splitlines(keepends=True)


def line_naming(path, text):
    return next(n for n, line in enumerate(lines_of(path), 1) if text in line)


def replace_in_line(path, old, new):
    """Replaces old in the first line holding it."""
    lines = lines_of(path)
    number = line_naming(path, old)
    lines[number - 1] = lines[number - 1].replace(old, new, 1)
    open(path, 'w', newline='').write(''.join(lines))
    return number


def append_lines(path, *new, end='\r\n'):
    lines = lines_of(path)
    ended = not lines or lines[-1].endswith(('\r', '\n'))
    open(path, 'a', newline='').write(('' if ended else end) + ''.join(l + end for l in new))
    return len(lines) + 1


def too_many_entries(s):
    lines = lines_of(s + '/md.lst')
    append_lines(s + '/md.lst', *[lines[0].split(',')[0] + ',1'] * (33 - len(lines)))
    return 33


def lf_only(s):
    text = open(s + '/md.lst', newline='').read()
    open(s + '/md.lst', 'w', newline='').write(text.replace('\r\n', '\n'))
    return 1


def program_from(folder):
    def edit(s):
        shutil.copy(os.path.join(STUB, folder, 'KVMD.PRO'), s + '/KVMD.PRO')
        return line_naming(s + '/md.lst', 'KVMD.PRO')
    return edit


def stamped_then_changed(s):
    subprocess.run([CHECKER, '--stamp', s], stdout=subprocess.DEVNULL, check=False)
    with open(s + '/KVMDHELP.HL_', 'r+b') as stamped:
        stamped.write(b'X')
    return line_naming(s + '/md.lst', 'KVMDHELP.HL_,')


def list_sent_compressed(s):
    with open(WORK + '/rules', 'w') as rules:
        rules.write('/row%s/md.lst encoding=gzip\n' % s[-2:])
    return 1


def list_sent_as_download(s):
    shutil.copy(s + '/md.lst', s + '/md.bin')  # which the test server sends as a download
    replace_in_line(s + '/index.htm', '"md.lst"', '"md.bin"')
    return 1


def change(file, old, new=None):
    """Replaces old by new in the file's first line holding old; appends old without new."""
    if new is None:
        return lambda s: append_lines(os.path.join(s, file), old)
    return lambda s: replace_in_line(os.path.join(s, file), old, new)


# name, edit, file the finding is in, severity, words it holds
CASES = [
    ('param over capacity', change('index.htm', 'md.lst', 'm' * 60 + '.lst'),
     'index.htm', 'error', 'PARAM MD_DistFile is 64 characters long, more than its 63'),
    ('listed file missing', change('md.lst', 'KVMDX.TXT,1'), 'md.lst', 'error', 'not in the site'),
    ('list with LF-only line ends', lf_only, 'md.lst', 'error', 'LF alone'),
    ('list of 33 entries', too_many_entries, 'md.lst', 'error', 'more than 32 entries'),
    ('unsigned program', program_from('unsigned'), 'md.lst', 'error', 'KVMD.PRO is not signed'),
    ('program altered after signing', program_from('altered'), 'md.lst', 'error', 'was changed'),
    ('program of an untrusted publisher', program_from('untrusted'), 'md.lst', 'error', 'no root'),
    ('stamped lists, a file changed since', stamped_then_changed,
     'md.lst', 'error', 'the SHA-256 digest of KVMDHELP.HL_ differs'),
    ('listed name in another case', change('md.lst', 'KVMD.PRO,', 'kvmd.pro,'), 'md.lst',
     'warning', "kvmd.pro differs only in case from the site's file KVMD.PRO"),
    ('list the server sends compressed', list_sent_compressed, 'md.lst', 'warning',
     'the server sends the list compressed (Content-Encoding: gzip)'),
    ('list the server sends as a download', list_sent_as_download, 'md.bin', 'warning',
     'the server sends the list as application/octet-stream, not as text'),
    ('cookie address that does not answer', change('index.htm', 'sso/ticket.txt', 'sso/none.asp'),
     'index.htm', 'error', 'sso/none.asp does not answer (status 404)'),
]


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    www = os.path.join(WORK, 'www')
    os.makedirs(www)
    open(WORK + '/rules', 'w').close()
    server = subprocess.Popen([SERVER, '--root', www, '--port-file', WORK + '/port', '--rules',
                               WORK + '/rules', '--idle-exit', '120'],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failures = []
    try:
        while not (os.path.exists(WORK + '/port') and open(WORK + '/port').read().strip()):
            time.sleep(0.05)  # bounded by the test's timeout
        port = open(WORK + '/port').read().strip()
        for index, (name, edit, file, severity, words) in enumerate([(None,) * 5] + CASES):
            site = os.path.join(www, 'row%02d' % index)
            shutil.copytree(MADE_SITE, site)
            line = edit(site) if edit else None
            base = 'http://127.0.0.1:%s/row%02d/' % (port, index)
            done = subprocess.run([CHECKER, '--base', base, '--trust', TRUST, '--timeout', '2000',
                                   site], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  text=True, timeout=60)
            output = done.stdout.splitlines()
            findings = [FINDING.match(l).groups() for l in output if FINDING.match(l)]
            expected = [(os.path.join(site, file), str(line), severity)] if edit else []
            expected_rc = {None: 0, 'warning': 1, 'error': 2}[severity]
            said = all(words in finding[3] for finding in findings) if edit else True
            if [f[:3] for f in findings] != expected or done.returncode != expected_rc or not said:
                failures.append('row %d (%s): exit code %d, expected %d %r saying %r\n    %s'
                                % (index, name, done.returncode, expected_rc, expected, words,
                                   '\n    '.join(output)))
    finally:
        server.kill()
    print(''.join('FAILED %s\n' % failure for failure in failures), end='')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
