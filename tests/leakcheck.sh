#!/usr/bin/env bash
# Plays scripted sessions of several rounds with LeakSanitizer watching: the play suite, a shortened monkey
# and the real platform services without sound. A leak fails the check unless every frame of its stack lies in
# the system libraries listed in lsan.supp; stacks are unwound in full (not by frame pointers, which the
# system libraries lack), so a leak that starts in the game's code cannot pass for the system's.
# Usage: leakcheck.sh TESTS_BUILD_DIR   (a build with VOLARINO_SANITIZE=ON)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tests=$1
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
asan="detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=255:log_path=$logs/lsan"
# Every frame names its module, so the judgement below needs no guessing from file names.
export ASAN_OPTIONS="$asan:stack_trace_format='    #%n %p in %f %s:%l <%m>'"
# Leaks are judged below, not by the exit code.
export LSAN_OPTIONS="exitcode=0"
export VOLARINO_MONKEY_EVENTS=3000 VOLARINO_MONKEY_SEED=7

status=0
for suite in tst_play tst_monkey tst_faults; do
    if ! "$tests/$suite" >"$logs/$suite.out" 2>&1; then
        echo "FAIL: $suite did not pass under LeakSanitizer"
        tail -n 30 "$logs/$suite.out"
        status=1
    fi
done

python3 - "$here/lsan.supp" "$logs" "$tests" <<'PY' || status=1
import glob, os, re, sys

supp, logs, tests = sys.argv[1:4]
system = [line.split(':', 1)[1].strip() for line in open(supp)
          if line.startswith('leak:')]
# Frames that belong to no one in particular: the sanitizers' allocators and the C and C++ run times.
neutral = ('libasan.so', 'libubsan.so', 'liblsan.so', 'libc.so', 'libstdc++.so', 'libgcc_s.so', 'libm.so',
           'ld-linux')
tests = os.path.realpath(tests)

def kind(frame):
    m = re.match(r'\s*#\d+ \S+ in (.*) <(.*)>\s*$', frame)
    if not m:
        return 'ours'
    function, module = m.group(1), m.group(2)
    base = os.path.basename(module)
    if any(n in base for n in neutral):
        return 'neutral'
    if any(s in base for s in system):
        return 'system'
    # The harness's entry points are the test binaries', but no one's code in particular.
    if os.path.realpath(module).startswith(tests) and re.match(r'(main|_start) ', function):
        return 'neutral'
    return 'ours'

ours, forgiven = [], 0
for log in sorted(glob.glob(os.path.join(logs, 'lsan.*'))):
    text = open(log, errors='replace').read()
    for block in re.split(r'\n(?=(?:Direct|Indirect) leak of )', text):
        if not re.match(r'(Direct|Indirect) leak of ', block):
            continue
        frames = [l for l in block.splitlines() if re.match(r'\s*#\d+ ', l)]
        kinds = [kind(f) for f in frames]
        if 'ours' in kinds:
            ours.append(block.strip())
        else:
            forgiven += 1

print(f'leak check: {len(ours)} leak(s) reaching the game\'s code, {forgiven} inside the system libraries')
for block in ours:
    print(block, end='\n\n')
sys.exit(1 if ours else 0)
PY
exit $status
