#!/usr/bin/env python3
# Save-to-screen time for an author: the viewer (offscreen, probe on) open on the bundled
# guide built into a scratch folder; (a) `mirelda-tool build` run by hand, from the end of the
# build to the viewer's "reloaded" line; (b) `build --watch`, from the save of a source to that
# line. Usage: bench/measure_reload.py [BUILD_DIR [SCRATCH_DIR [RUNS]]]
#   (defaults: build/ci, $TMPDIR/mirelda-reload, 5)
import atexit, os, shutil, subprocess, sys, tempfile, time, select, statistics
top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
B = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(top, 'build', 'ci')
root = sys.argv[2] if len(sys.argv) > 2 and sys.argv[2] else os.path.join(tempfile.gettempdir(), 'mirelda-reload')
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
tool = os.path.join(B, 'mirelda-tool'); viewer = os.path.join(B, 'mirelda')
src = os.path.join(root, 'src'); base = os.path.join(root, 'GUIDE')
shutil.rmtree(root, ignore_errors=True); os.makedirs(root)
shutil.copytree(os.path.join(top, 'help', 'guide'), src)
subprocess.run([tool, 'build', src, base], check=True, capture_output=True)
env = dict(os.environ, QT_QPA_PLATFORM='offscreen', MIRELDA_PROBE='1', XDG_RUNTIME_DIR=root, XDG_DATA_HOME=root, XDG_CONFIG_HOME=root)
os.chmod(root, 0o700)
v = subprocess.Popen([viewer, '/D:' + base, '/P:45'], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
atexit.register(v.terminate)
pending = b''
def wait(prefix, timeout=20):
    # Reads the pipe itself: a buffered reader would hold a line back from select().
    global pending
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        while b'\n' in pending:
            line, pending = pending.split(b'\n', 1)
            if os.environ.get('VERBOSE'):
                print('%.3f' % time.monotonic(), line.decode())
            if line.decode().startswith(prefix):
                return time.monotonic()
        r, _, _ = select.select([v.stdout], [], [], 0.05)
        if r:
            pending += os.read(v.stdout.fileno(), 65536)
    raise SystemExit('no ' + prefix)
wait('article 45')
article = os.path.join(src, 'articles', 'auteur.md')
text = open(article).read()
manual = []
for k in range(runs):
    open(article, 'w').write(text + '\nRévision %d.\n' % k)
    subprocess.run([tool, 'build', src, base], check=True, capture_output=True)
    t0 = time.monotonic(); t1 = wait('reloaded 45'); manual.append(t1 - t0)
    time.sleep(0.5)
w = subprocess.Popen([tool, 'build', '--watch', src, base], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
atexit.register(w.terminate)
wait('reloaded 45')  # the watch's first build
time.sleep(0.5)
watched = []
for k in range(runs):
    t0 = time.monotonic()
    open(article, 'w').write(text + '\nSous surveillance %d.\n' % k)
    t1 = wait('reloaded 45'); watched.append(t1 - t0)
    time.sleep(0.8)
print('build then reload: median %.3f s (min %.3f, max %.3f) over %d' % (statistics.median(manual), min(manual), max(manual), runs))
print('save with --watch to reload: median %.3f s (min %.3f, max %.3f) over %d' % (statistics.median(watched), min(watched), max(watched), runs))
shutil.rmtree(root, ignore_errors=True)
