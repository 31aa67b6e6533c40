#!/usr/bin/python3
"""Sound quality and speed of our mixing against openmpt123 and xmp.

usage: mixer_quality.py [--ours BIN] [--keep DIR] [--runs N] [--no-cpu]

Writes four small XM modules of its own (16-bit looped samples, linear
frequencies, so C-4 plays at 8363 Hz), renders each with varnek-modrender at
every --quality, with openmpt123 at --filter 1, 2, 4 and 8 (8 is its default)
and with xmp at -i nearest, linear and spline (spline is its default), all at
44100 Hz 16-bit stereo, and prints one table:

  sine    a 32-frame single-cycle sine held for 16 rows at every note C-1..B-7
          (B-7 plays at 126 kHz, 2.9 times the output rate); per note the
          tone's energy against everything else in the left channel over
          32768 frames (4-term Blackman-Harris window, tone = +-6 bins around
          the peak), in dB; the table gives the lowest per octave and overall.
  saw     a 32-frame single-cycle saw (half the sine's level, so its
          band-limited edges do not clip) at C-6, C-7 and B-7: the energy of the
          harmonics of the measured fundamental (each +-6 bins, up to 22050 Hz)
          against the rest, in dB.
  treble  the level lost by a sine at 7.3 kHz (in a sample played at C-5,
          16726 Hz: 0.87 of its Nyquist frequency) and at 18.8 kHz (played at
          F-6, 44650 Hz: 0.85 of the output's Nyquist frequency) against the
          single-cycle sine at the same note, in dB.
  clicks  the 32-frame sine at C-4 (261 Hz) through volume 64 -> 0, 0 -> 64, a
          new note, the same note again, a note cut (EC3) and a key-off, each
          with a fresh note between; per event the energy above 10 kHz within
          -10..+30 ms of it against the tone's energy over as long, in dB;
          the table gives the worst event (the one of each event is listed
          below the table).
  CPU     user + system CPU time of whole renders of slice_me_nice.xm
          (bomberclone-data) and pingus-2.it (pingus-data), median of --runs
          runs alternated between the players, as a ratio to openmpt123 at its
          defaults.

Needs python3-numpy, openmpt123 and xmp (Debian packages).
"""
import os, resource, struct, subprocess, sys, tempfile, wave
import numpy as np

RATE = 44100
ROW = 6 * 882                       # frames per row at speed 6, 125 BPM
NOTE_ROWS = 16
CYCLE = 32
NAMES = ['C-', 'C#', 'D-', 'D#', 'E-', 'F-', 'F#', 'G-', 'G#', 'A-', 'A#', 'B-']
SONGS = ['/usr/share/games/bomberclone/music/slice_me_nice.xm', '/usr/share/games/pingus/data/music/pingus-2.it']


def note(name):
    """XM note number (1 = C-0) of a name like 'C-4' or 'A#6'."""
    return NAMES.index(name[:2]) + 12 * int(name[2]) + 1


def note_rate(n):
    """Sample rate of an XM note with relative note and finetune 0, linear frequencies."""
    return 8363.0 * 2.0 ** ((n - 49) / 12.0)


# ---- module writing -------------------------------------------------------

def xm_sample(values, loop_start=0, loop_len=None):
    v = np.asarray(np.round(values), dtype=np.int64).clip(-32768, 32767)
    delta = np.diff(np.concatenate([[0], v])) & 0xFFFF
    data = delta.astype('<u2').tobytes()
    loop_len = len(v) - loop_start if loop_len is None else loop_len
    head = struct.pack('<IIIBbBBbB', 2 * len(v), 2 * loop_start, 2 * loop_len, 64, 0, 0x11, 128, 0, 0)
    return head + b'sample'.ljust(22, b'\0'), data


def xm_instrument(sample):
    head, data = sample
    ins = struct.pack('<I', 263) + b'instrument'.ljust(22, b'\0') + b'\0' + struct.pack('<HI', 1, 40)
    ins += bytes(96) + bytes(96) + bytes(14) + struct.pack('<H', 0) + bytes(22)
    return ins + head + data


def xm_module(rows, instruments):
    """rows: list of (note, instrument, volume column, effect, parameter); one channel, patterns of 256 rows."""
    pats = []
    for at in range(0, len(rows), 256):
        part = rows[at:at + 256]
        data = b''.join(bytes(cell) for cell in part)
        pats.append(struct.pack('<IBHH', 9, 0, len(part), len(data)) + data)
    head = b'Extended Module: ' + b'measure'.ljust(20, b'\0') + b'\x1a' + b'varnek'.ljust(20, b'\0')
    head += struct.pack('<H', 0x0104)
    head += struct.pack('<IHHHHHHHH', 276, len(pats), 0, 1, len(pats), len(instruments), 1, 6, 125)
    head += bytes(range(len(pats))).ljust(256, b'\0')
    return head + b''.join(pats) + b''.join(xm_instrument(s) for s in instruments)


def held(notes, ins):
    """Each (note, instrument) held for NOTE_ROWS rows."""
    rows = []
    for n, i in zip(notes, ins):
        rows.append((n, i, 0, 0, 0))
        rows += [(0, 0, 0, 0, 0)] * (NOTE_ROWS - 1)
    return rows


def cycle(shape):
    t = np.arange(CYCLE) / CYCLE
    # The saw at half the sine's level (band-limited, its edges overshoot
    # by a fifth and would clip) and without its mean, whose DC would count
    # as noise.
    if shape == 'sine':
        return 29000 * np.sin(2 * np.pi * t)
    return 14500 * (2 * t - 1 + 1.0 / CYCLE)


def tone_sample(freq, at_rate, frames=4096):
    """A looped sine of a whole number of cycles in `frames`, near freq when played at at_rate."""
    c = round(freq / at_rate * frames)
    return xm_sample(29000 * np.sin(2 * np.pi * c * np.arange(frames) / frames))


SINE_NOTES = [f'{n}{o}' for o in range(1, 8) for n in NAMES]
SAW_NOTES = ['C-6', 'C-7', 'B-7']
CLICK_EVENTS = [('vol 64->0', 8), ('vol 0->64', 16), ('new note', 24), ('same note', 32),
                ('note cut', 40, 3), ('key-off', 56)]


def modules():
    sine, saw = xm_sample(cycle('sine')), xm_sample(cycle('saw'))
    out = {
        'sine': xm_module(held([note(n) for n in SINE_NOTES], [1] * len(SINE_NOTES)), [sine]),
        'saw': xm_module(held([note(n) for n in SAW_NOTES], [1] * 3), [saw]),
        'treble': xm_module(held([note('C-5'), note('C-5'), note('F-6'), note('F-6')], [1, 2, 1, 3]),
                            [sine, tone_sample(7300, note_rate(note('C-5'))), tone_sample(18800, note_rate(note('F-6')))]),
    }
    c4, e4 = note('C-4'), note('E-4')
    rows = [(0, 0, 0, 0, 0)] * 72
    rows[0] = (c4, 1, 0, 0, 0)
    rows[8] = (0, 0, 0x10, 0, 0)         # volume 0
    rows[16] = (0, 0, 0x50, 0, 0)        # volume 64
    rows[24] = (e4, 1, 0, 0, 0)          # a new note
    rows[32] = (e4, 1, 0, 0, 0)          # the same note again
    rows[40] = (0, 0, 0, 0x0E, 0xC3)     # note cut on tick 3
    rows[48] = (c4, 1, 0, 0, 0)
    rows[56] = (97, 0, 0, 0, 0)          # key-off
    rows[64] = (c4, 1, 0, 0, 0)
    out['click'] = xm_module(rows, [sine])
    return out


# ---- rendering ------------------------------------------------------------

def players(ours):
    p = [(f'ours {q}', [ours, '--quality', q, '{in}', '{out}']) for q in ['plain', 'linear', 'cubic', 'sinc']]
    p += [(f'openmpt123 --filter {f}', ['openmpt123', '--batch', '--quiet', '--force', '--samplerate', str(RATE),
                                        '--no-float', '--dither', '0', '--filter', str(f), '-o', '{out}', '{in}'])
          for f in [1, 2, 4, 8]]
    p += [(f'xmp -i {i}', ['xmp', '-q', '-i', i, '-f', str(RATE), '-o', '{out}', '{in}'])
          for i in ['nearest', 'linear', 'spline']]
    return p


def render(cmd, module, out):
    args = [a.replace('{in}', module).replace('{out}', out) for a in cmd]
    r = subprocess.run(args, capture_output=True, text=True, timeout=900)
    if r.returncode != 0 or not os.path.exists(out):
        sys.exit(f'{args[0]} failed on {module}: {(r.stderr or r.stdout).strip()[-300:]}')
    w = wave.open(out, 'rb')
    a = np.frombuffer(w.readframes(w.getnframes()), dtype='<i2').astype(np.float64)
    return a.reshape(-1, w.getnchannels())[:, 0]


# ---- analysis -------------------------------------------------------------

N = 32768


def window():
    t = np.arange(N) / N
    return 0.35875 - 0.48829 * np.cos(2 * np.pi * t) + 0.14128 * np.cos(4 * np.pi * t) - 0.01168 * np.cos(6 * np.pi * t)


WIN = window()


def spectrum(x, k):
    """Power spectrum of the held note k, from 0.3 s after its start,
    without the bins below 5 Hz (a player's DC offset is no tone's noise)."""
    start = k * NOTE_ROWS * ROW + int(0.3 * RATE)
    seg = x[start:start + N]
    if len(seg) < N:
        return None
    p = np.abs(np.fft.rfft(seg * WIN)) ** 2
    p[:4] = 0
    return p


def ratio_db(tone, rest):
    return 10 * np.log10(max(tone, 1e-30) / max(rest, 1e-30))


def sine_db(x, k):
    p = spectrum(x, k)
    if p is None:
        return float('nan')
    k0 = int(np.argmax(p[3:])) + 3
    tone = p[max(k0 - 6, 0):k0 + 7].sum()
    return ratio_db(tone, p.sum() - tone)


def peak(p):
    """Bin of the strongest peak, refined between bins."""
    k = int(np.argmax(p[3:])) + 3
    a, b, c = np.log(p[k - 1] + 1e-30), np.log(p[k] + 1e-30), np.log(p[k + 1] + 1e-30)
    d = a - 2 * b + c
    return k + (0.5 * (a - c) / d if d != 0 else 0.0)


def saw_db(x, k):
    p = spectrum(x, k)
    if p is None:
        return float('nan')
    # The fundamental: the lowest strong peak (the saw's first harmonic is its loudest).
    f0 = peak(p)
    mask = np.zeros(len(p), bool)
    m = 1
    while m * f0 < len(p) - 7:
        c = int(round(m * f0))
        mask[max(c - 6, 0):c + 7] = True
        m += 1
    tone = p[mask].sum()
    return ratio_db(tone, p.sum() - tone)


def level_db(x, k):
    p = spectrum(x, k)
    if p is None:
        return float('nan')
    k0 = int(np.argmax(p[3:])) + 3
    return 10 * np.log10(p[max(k0 - 6, 0):k0 + 7].sum())


def click_dbs(x):
    """Energy above 10 kHz around each event against the steady tone's. The
    events are timed from the first note's onset, as players start a few
    ticks apart."""
    onset = int(np.nonzero(np.abs(x) > 50)[0][0])
    x = x[onset:]
    bins = np.fft.rfft(x)
    bins[:int(10000 * len(x) / RATE)] = 0
    high = np.fft.irfft(bins, len(x))
    before, after = int(0.010 * RATE), int(0.030 * RATE)
    steady = x[2 * ROW:6 * ROW]
    tone = (steady ** 2).mean() * (before + after)
    out = []
    for ev in CLICK_EVENTS:
        t = ev[1] * ROW + (ev[2] * 882 if len(ev) > 2 else 0)
        e = (high[t - before:t + after] ** 2).sum()
        out.append(ratio_db(e, tone))
    return out


# ---- CPU ------------------------------------------------------------------

def cpu_of(args):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    r = subprocess.run(args, capture_output=True, timeout=900)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if r.returncode != 0:
        sys.exit(f'{args[0]} failed: {r.stderr[-300:]}')
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def cpu_table(ours, tmp, runs):
    """Median CPU seconds per player and song, runs alternated."""
    cmds = {
        'ours plain': lambda s, o: [ours, '--quality', 'plain', s, o],
        'ours sinc': lambda s, o: [ours, '--quality', 'sinc', s, o],
        'openmpt123 --filter 8': lambda s, o: ['openmpt123', '--batch', '--quiet', '--force', '--samplerate',
                                               str(RATE), '--no-float', '-o', o, s],
        'xmp -i spline': lambda s, o: ['xmp', '-q', '-f', str(RATE), '-o', o, s],
    }
    times = {(name, s): [] for name in cmds for s in SONGS}
    for _ in range(runs):
        for s in SONGS:
            for name, c in cmds.items():
                times[(name, s)].append(cpu_of(c(s, os.path.join(tmp, 'cpu.wav'))))
    return {k: float(np.median(v)) for k, v in times.items()}


# ---- main -----------------------------------------------------------------

def main():
    args = sys.argv[1:]
    ours, keep, runs, cpu = 'build/bin/varnek-modrender', None, 5, True
    while args:
        a = args.pop(0)
        if a == '--ours' and args:
            ours = args.pop(0)
        elif a == '--keep' and args:
            keep = args.pop(0)
        elif a == '--runs' and args:
            runs = int(args.pop(0))
        elif a == '--no-cpu':
            cpu = False
        else:
            sys.exit(__doc__)
    tmp = keep or tempfile.mkdtemp(prefix='mixer_quality.')
    os.makedirs(tmp, exist_ok=True)
    mods = {}
    for name, data in modules().items():
        mods[name] = os.path.join(tmp, name + '.xm')
        with open(mods[name], 'wb') as f:
            f.write(data)

    rows, clicks = [], {}
    for label, cmd in players(ours):
        r = {}
        for name, path in mods.items():
            r[name] = render(cmd, path, os.path.join(tmp, f'{name}.{label.replace(" ", "_")}.wav'))
        sines = [sine_db(r['sine'], k) for k in range(len(SINE_NOTES))]
        octaves = [min(sines[12 * o:12 * o + 12]) for o in range(7)]
        saws = [saw_db(r['saw'], k) for k in range(3)]
        lv = [level_db(r['treble'], k) for k in range(4)]
        treble = [lv[0] - lv[1], lv[2] - lv[3]]
        cl = click_dbs(r['click'])
        clicks[label] = cl
        rows.append((label, octaves, min(sines), saws, treble, max(cl)))

    print('sine: tone vs the rest (dB), lowest per octave | saw C-6/C-7/B-7 (dB) | treble loss 7.3k/18.8k (dB) | worst click (dB)')
    head = f'{"player":24}' + ''.join(f'{"oct" + str(o):>6}' for o in range(1, 8)) + f'{"min":>6} |' \
           + f'{"C-6":>6}{"C-7":>6}{"B-7":>6} |{"7.3k":>6}{"18.8k":>6} |{"click":>7}'
    print(head)
    for label, octaves, lo, saws, treble, worst in rows:
        print(f'{label:24}' + ''.join(f'{v:6.1f}' for v in octaves) + f'{lo:6.1f} |'
              + ''.join(f'{v:6.1f}' for v in saws) + ' |' + ''.join(f'{v:6.2f}' for v in treble) + f' |{worst:7.1f}')
    print()
    print(f'{"clicks per event (dB)":24}' + ''.join(f'{ev[0]:>11}' for ev in CLICK_EVENTS))
    for label, cl in clicks.items():
        print(f'{label:24}' + ''.join(f'{v:11.1f}' for v in cl))
    if cpu:
        t = cpu_table(ours, tmp, runs)
        print()
        print(f'CPU, median of {runs} alternated runs: seconds (ratio to openmpt123 at its defaults)')
        for name in ['ours plain', 'ours sinc', 'openmpt123 --filter 8', 'xmp -i spline']:
            cells = []
            for s in SONGS:
                ref = t[('openmpt123 --filter 8', s)]
                cells.append(f'{os.path.basename(s)} {t[(name, s)]:.3f} s ({t[(name, s)] / ref:.2f}x)')
            print(f'{name:24}' + '   '.join(cells))


if __name__ == '__main__':
    main()
