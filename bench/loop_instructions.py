#!/usr/bin/env python3
"""Instructions in the main loop of each row kernel, from the disassembly.

    bench/loop_instructions.py OBJECT [OBJDUMP]

OBJECT is a kernel file's object (for example
build/arm64/sprite/CMakeFiles/spritedemo_sprite.dir/kernels/Neon.cpp.o, or an
x86-64 one such as .../Avx512.cpp.o); OBJDUMP defaults to
aarch64-linux-gnu-objdump, give objdump for x86-64. For each function it prints the
instructions of its largest innermost loop: from the target of a backward
branch inside the function up to that branch, holding no other such loop. Where timings mean nothing (under an
emulator), this divided by the pixels of one pass is the cost to compare.
"""

import re
import subprocess
import sys


def functions(disassembly):
    """(name, [(address, mnemonic, operands)]) for each function."""
    name, body = None, []
    for line in disassembly.splitlines():
        header = re.match(r"^[0-9a-f]+ <(.*)>:$", line)
        if header:
            if name:
                yield name, body
            name, body = header.group(1), []
            continue
        insn = re.match(r"^\s+([0-9a-f]+):\s+(\S+)\s*(.*)$", line)
        if insn and name:
            body.append((int(insn.group(1), 16), insn.group(2), insn.group(3)))
    if name:
        yield name, body


def largest_loop(body):
    """Instructions of the largest innermost loop: a backward branch's range
    that holds no other loop (the row loop around the pixel loop does)."""
    if not body:
        return 0
    first, last = body[0][0], body[-1][0]
    loops = []
    for address, mnemonic, operands in body:
        arm = mnemonic in ("b", "cbz", "cbnz", "tbz", "tbnz") or mnemonic.startswith("b.")
        if not (arm or (mnemonic.startswith("j") and mnemonic != "jmp")):
            continue
        target = re.search(r"(?:^|, )([0-9a-f]+) <", operands)
        if target and first <= int(target.group(1), 16) < address <= last:
            loops.append((int(target.group(1), 16), address))
    best = 0
    for start, end in loops:
        if not any((s, e) != (start, end) and start <= s and e <= end for s, e in loops):
            best = max(best, sum(1 for a, _, _ in body if start <= a <= end))
    return best


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    objdump = sys.argv[2] if len(sys.argv) == 3 else "aarch64-linux-gnu-objdump"
    disassembly = subprocess.run([objdump, "-d", "-C", "--no-show-raw-insn", sys.argv[1]],
                                 capture_output=True, text=True, check=True).stdout
    for name, body in functions(disassembly):
        count = largest_loop(body)
        if count:
            print(f"{count:4d}  {name.replace('(anonymous namespace)::', '').split('(')[0]}")


if __name__ == "__main__":
    main()
