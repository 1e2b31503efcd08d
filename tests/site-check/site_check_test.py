#!/usr/bin/env python3
"""wevelink-check on the example site as served, and on broken copies of it.

The served site is the one the build makes (MADE_SITE, when the build made
it), else examples/site with the signed session program stand-ins that
scripts/demo copies into it (read from scripts/demo, so that the two stay in
step). The clean site must give no finding and exit code 0; each row of
CASES plants one problem in a fresh copy and expects exactly one finding,
at the file and line the problem is on, and the exit code of its severity
(1 warnings, 2 errors). The copies are served by the test web server, which
the checker asks for the cookie addresses.

Usage: site_check_test.py REPO STUB_BUILD_FOLDER MADE_SITE WORK_FOLDER
The checker is build/native's unless WEVELINK_SITECHECK names one; the web
server build/native's testserver unless WEVELINK_TESTSERVER does.
"""
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


def served_site(target):
    """The site as the build made it, or examples/site plus the programs
    scripts/demo copies in."""
    if os.path.exists(os.path.join(MADE_SITE, '.made')):
        shutil.copytree(MADE_SITE, target)
        return
    shutil.copytree(os.path.join(REPO, 'examples/site'), target)
    demo = open(os.path.join(REPO, 'scripts/demo')).read()
    copies = re.findall(r'cp "\$programs/([^"]+)" "\$work/site/([^"]*)"', demo)
    assert copies, '%s was not made (target example-site) and scripts/demo copies no ' \
        'program into examples/site' % MADE_SITE
    for name, folder in copies:
        shutil.copy(os.path.join(STUB, 'programs', name), os.path.join(target, folder))


# Edits of a site copy; each returns the line (from 1) the finding belongs to.
def lines_of(path):
    return open(path, newline='').read().splitlines(keepends=True)


def replace_in_line(path, old, new):
    lines = lines_of(path)
    for number, line in enumerate(lines, 1):
        if old in line:
            lines[number - 1] = line.replace(old, new, 1)
            open(path, 'w', newline='').write(''.join(lines))
            return number
    raise AssertionError('%s holds no %r' % (path, old))


def append_lines(path, *new, end='\r\n'):
    lines = lines_of(path)
    ended = not lines or lines[-1].endswith(('\r', '\n'))
    open(path, 'a', newline='').write(('' if ended else end) + ''.join(l + end for l in new))
    return len(lines) + 1


def insert_before(path, old, new):
    """Inserts the line new before the first line holding old; its number."""
    lines = lines_of(path)
    for number, line in enumerate(lines, 1):
        if old in line:
            lines.insert(number - 1, new + '\n')
            open(path, 'w', newline='').write(''.join(lines))
            return number
    raise AssertionError('%s holds no %r' % (path, old))


def line_naming(path, text):
    return next(n for n, line in enumerate(lines_of(path), 1) if text in line)


def make_cabinet(folder, cabinet, *files):
    subprocess.run(['gcab', '-c', cabinet] + list(files), cwd=folder, check=True)


def lf_only(s):
    path = s + '/md.lst'
    text = open(path, newline='').read()
    open(path, 'w', newline='').write(text.replace('\r\n', '\n'))
    return 1


def first_entry(s):
    return lines_of(s + '/md.lst')[0].split(',')[0]


def too_many_entries(s):
    count = len(lines_of(s + '/md.lst'))
    append_lines(s + '/md.lst', *[first_entry(s) + ',1'] * (33 - count))
    return 33


def compressed_outside_table(s):
    open(s + '/KVMDHELP.TX_', 'w').write('not expanded by the control')
    return append_lines(s + '/md.lst', 'KVMDHELP.TX_,1')


def cabinet_without_section(s):
    open(s + '/help.txt', 'w').write('help')
    make_cabinet(s, 'HELP.CAB', 'help.txt')
    return append_lines(s + '/md.lst', 'HELP.CAB,1')


def run_not_in_cabinet(s):
    open(s + '/help.txt', 'w').write('help')
    make_cabinet(s, 'NORUN.CAB', 'help.txt')
    append_lines(s + '/md.lst', 'NORUN.CAB,1')
    return append_lines(s + '/site.ini', '[NORUN.CAB]', 'Run=setup.exe', end='\n') + 1


def cabinet_in_a_folder(s):
    os.makedirs(s + '/cabs')
    open(s + '/cabs/help.txt', 'w').write('help')
    make_cabinet(s + '/cabs', 'OWN.CAB', 'help.txt')
    append_lines(s + '/site.ini', '[OWN.CAB]', 'DestDir=C:\\Own', end='\n')
    return append_lines(s + '/md.lst', 'cabs/OWN.CAB,1')


def program_from(folder, site, name):
    shutil.copy(os.path.join(STUB, folder, name), os.path.join(site, name))
    return line_naming(site + '/md.lst', name)


def compressed_unsigned_program(s):
    desktop = s + '/desktop'
    shutil.copy(os.path.join(STUB, 'unsigned/KVMD.EXE'), desktop + '/KVMD.EXE')
    subprocess.run(['mscompress', 'KVMD.EXE'], cwd=desktop, check=True)
    os.replace(desktop + '/KVMD.EXE_', desktop + '/KVMD.EX_')
    listed = open(desktop + '/md.lst').read()
    if 'KVMD.EX_,' in listed:
        return line_naming(desktop + '/md.lst', 'KVMD.EX_,')
    return replace_in_line(desktop + '/md.lst', 'KVMD.EXE,', 'KVMD.EX_,')


def session_of_no_kind(s):
    insert_before(s + '/index.htm', '</object>', '  <param name="XX_S1" value="x.zmd">')
    return replace_in_line(s + '/index.htm', '"Sessions" value="', '"Sessions" value="XX_S1,')


def cookie_without_answer(s):
    page = s + '/index.htm'
    if '_Blk" value="' in open(page).read():
        line = line_naming(page, '_Blk" value="')
        text = open(page, newline='').read()
        open(page, 'w', newline='').write(
            re.sub(r'(_Blk" value=")[^"]*', r'\1sso/none.asp', text, count=1))
        return line
    session = re.search(r'"Sessions" value="([^,"]+)', open(page).read()).group(1)
    return insert_before(page, '</object>', '  <param name="%s_Blk" value="sso/none.asp">' % session)


# name, edit, file the finding is in, severity, words it holds
CASES = [
    ('param over capacity',
     lambda s: replace_in_line(s + '/index.htm', 'value="md.lst"', 'value="%s.lst"' % ('m' * 60)),
     'index.htm', 'error', 'PARAM MD_DistFile is 64 characters long, more than its 63'),
    ('listed file missing',
     lambda s: append_lines(s + '/md.lst', 'KVMDNONE.TXT,1'),
     'md.lst', 'error', 'KVMDNONE.TXT is not in the site'),
    ('list with LF-only line ends', lf_only, 'md.lst', 'error', 'LF alone'),
    ('list of 33 entries', too_many_entries, 'md.lst', 'error', 'more than 32 entries'),
    ('compressed name outside the table', compressed_outside_table,
     'md.lst', 'error', 'KVMDHELP.TX_ is a compressed name the control has no expansion for'),
    ('version 0', lambda s: append_lines(s + '/md.lst', first_entry(s) + ',0'),
     'md.lst', 'warning', 'has version 0'),
    ('cabinet without a section', cabinet_without_section,
     'md.lst', 'warning', 'cabinet HELP.CAB has no [HELP.CAB] section'),
    ('cabinet listed with a folder', cabinet_in_a_folder,
     'md.lst', 'warning', 'looks for a section [cabs/OWN.CAB], not [OWN.CAB]'),
    ('comment after a value',
     lambda s: append_lines(s + '/site.ini', '[Notes]', 'Text=kept ; in the value', end='\n') + 1,
     'site.ini', 'warning', 'the value of Text holds "; in the value"'),
    ('Run entry not in its cabinet', run_not_in_cabinet,
     'site.ini', 'error', '[NORUN.CAB] Run=setup.exe is not in the cabinet'),
    ('unsigned program', lambda s: program_from('unsigned', s, 'KVMD.PRO'),
     'md.lst', 'error', 'KVMD.PRO is not signed'),
    ('program altered after signing', lambda s: program_from('altered', s, 'KVMD.PRO'),
     'md.lst', 'error', 'KVMD.PRO was changed after it was signed'),
    ('program of an untrusted publisher', lambda s: program_from('untrusted', s, 'KVMD.PRO'),
     'md.lst', 'error', 'KVMD.PRO is signed by a publisher no root in the trust file vouches for'),
    ('compressed unsigned program', compressed_unsigned_program,
     'desktop/md.lst', 'error', 'KVMD.EX_ (expanded) is not signed'),
    ('group name the Program Manager refuses',
     lambda s: replace_in_line(s + '/desktop/setup/desk.ini', 'GroupName=', 'GroupName=[x] '),
     'desktop/setup/desk.ini', 'error', 'does not send it to the Program Manager'),
    ('group name with a path character',
     lambda s: replace_in_line(s + '/desktop/setup/desk.ini', 'GroupName=', 'GroupName=..\\'),
     'desktop/setup/desk.ini', 'error', 'the control does not create the group'),
    ('relative installation folder',
     lambda s: replace_in_line(s + '/desktop/setup/desk.ini', 'DestinationDir=', 'DestinationDir=..\\'),
     'desktop/setup/desk.ini', 'error', 'is not a full folder path'),
    ('label that is no file name',
     lambda s: replace_in_line(s + '/desktop/setup/desk.ini', 'MainframeDisplayText=',
                               'MainframeDisplayText=3270: '),
     'desktop/setup/desk.ini', 'warning', 'the desktop link is named 3270- '),
    ('session name of no kind', session_of_no_kind,
     'index.htm', 'error', 'session name XX_S1 selects no kind'),
    ('session without its PARAM',
     lambda s: replace_in_line(s + '/index.htm', '"Sessions" value="', '"Sessions" value="MD_S9,'),
     'index.htm', 'error', 'session MD_S9 has no PARAM MD_S9'),
    ('cookie address that does not answer', cookie_without_answer,
     'index.htm', 'error', 'sso/none.asp does not answer (status 404)'),
]


def run_checker(site, base):
    started = time.time()
    done = subprocess.run([CHECKER, '--base', base, '--trust', TRUST, '--timeout', '2000', site],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60)
    lines = done.stdout.splitlines()
    return done.returncode, [FINDING.match(l).groups() for l in lines if FINDING.match(l)], \
        lines, time.time() - started


def main():
    for program in (CHECKER, SERVER):
        if not os.access(program, os.X_OK):
            print('FAILED: %s is not built (build the native preset first)' % program)
            return 1
    shutil.rmtree(WORK, ignore_errors=True)
    www = os.path.join(WORK, 'www')
    os.makedirs(www)
    server = subprocess.Popen([SERVER, '--root', www, '--port-file', WORK + '/port',
                               '--idle-exit', '120'],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failures = []
    try:
        for _ in range(100):
            if os.path.exists(WORK + '/port') and open(WORK + '/port').read().strip():
                break
            time.sleep(0.05)
        port = open(WORK + '/port').read().strip()
        rows = [('clean site', None, None, None, None)] + CASES
        for index, (name, edit, file, severity, words) in enumerate(rows):
            folder = 'row%02d' % index
            site = os.path.join(www, folder)
            served_site(site)
            line = edit(site) if edit else None
            rc, findings, output, seconds = run_checker(
                site, 'http://127.0.0.1:%s/%s/' % (port, folder))
            print('row %d (%s): exit code %d, %.2f s' % (index, name, rc, seconds))
            if edit is None:
                expected_rc, expected = 0, []
            else:
                expected_rc = 2 if severity == 'error' else 1
                expected = [(os.path.join(site, file), str(line), severity)]
            got = [(f, l, s) for f, l, s, _ in findings]
            problems = []
            if got != expected:
                problems.append('findings %r, expected %r' % (got, expected))
            elif edit and words not in findings[0][3]:
                problems.append('finding %r does not say %r' % (findings[0][3], words))
            if rc != expected_rc:
                problems.append('exit code %d, expected %d' % (rc, expected_rc))
            if problems:
                failures.append('row %d (%s): %s\n    %s' % (index, name, '; '.join(problems),
                                                            '\n    '.join(output)))
    finally:
        server.kill()
        server.wait()
    for failure in failures:
        print('FAILED ' + failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
