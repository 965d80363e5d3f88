#!/usr/bin/env python3
"""Writes the plugMain fuzzer's seed corpus (tests/fuzz/corpus).

Each seed is a sequence of calls in the fuzzer's input format: a code byte,
an instance byte (0 is no instance, k the k-th live instance counted from 1,
modulo the live count plus one) and the code's payload, as PlugMainFuzzer.cpp
reads them. The seeds walk the paths a host takes; the fuzzer mutates from
there. Run it again after changing the format.
"""

import os
import struct
import sys

FF = dict(GETINFO=0, INITIALISE=1, DEINITIALISE=2, PROCESSFRAME=3, GETNUMPARAMETERS=4,
          GETPARAMETERNAME=5, GETPARAMETERDEFAULT=6, GETPARAMETERDISPLAY=7, SETPARAMETER=8,
          GETPARAMETER=9, GETPLUGINCAPS=10, INSTANTIATE=11, DEINSTANTIATE=12,
          GETEXTENDEDINFO=13, PROCESSFRAMECOPY=14, GETPARAMETERTYPE=15, GETINPUTSTATUS=16,
          PROCESSOPENGL=17, INSTANTIATEGL=18, DEINSTANTIATEGL=19, SETTIME=20, CONNECT=21,
          DISCONNECT=22, RESIZE=23, GETPARAMETEREXTRA1=31, GETPARAMETEREXTRA2=32,
          PROTOTYPEQUERY=33)


def u32(value):
    return struct.pack("<I", value & 0xFFFFFFFF)


def u64(value):
    return struct.pack("<Q", value & 0xFFFFFFFFFFFFFFFF)


def index(i):
    """A small index (below 16) as one byte, or any value as mode 128 plus 8 bytes."""
    return bytes([i]) if 0 <= i < 16 else bytes([128]) + u64(i)


def call(code, instance=0, payload=b""):
    return bytes([code, instance]) + payload


def simple(name, i=0, instance=0):
    return call(FF[name], instance, index(i))


def set_parameter(instance, i, fraction):
    # present, index, value mode 0: the low 16 bits of a u32 over 65535
    return call(FF["SETPARAMETER"], instance, b"\x01" + index(i) + b"\x00" + u32(int(fraction * 65535)))


def set_parameter_bits(instance, i, bits):
    return call(FF["SETPARAMETER"], instance, b"\x01" + index(i) + b"\x01" + u32(bits))


def instantiate(width=8, height=8):
    return call(FF["INSTANTIATEGL"], 0, b"\x01" + u32(0) + u32(0) + u32(width) + u32(height))


def texture(present=True, host_texture=True, size=(8, 8, 8, 8)):
    return bytes([1 if present else 0, 0 if host_texture else 1]) + b"".join(u32(v) for v in size)


def frame(instance, count=1, list_present=True, textures=None, fbo=0):
    textures = textures or [texture()] * 4
    body = b"\x01" + bytes([count, 1 if list_present else 0]) + b"".join(textures) + u32(fbo)
    return call(FF["PROCESSOPENGL"], instance, body)


def set_time(instance, seconds):
    return call(FF["SETTIME"], instance, b"\x01" + struct.pack("<d", seconds))


def deinstantiate(instance):
    return call(FF["DEINSTANTIATEGL"], instance)


def seeds():
    globals_only = b"".join(simple(name) for name in FF if name not in
                            ("INSTANTIATEGL", "DEINSTANTIATEGL", "SETPARAMETER",
                             "PROCESSOPENGL", "SETTIME", "PROCESSFRAME", "INSTANTIATE",
                             "PROCESSFRAMECOPY"))
    yield "globals", globals_only

    queries = b""
    for i in (0, 7, 8, 10, 11, 15):
        for name in ("GETPARAMETERNAME", "GETPARAMETERDEFAULT", "GETPARAMETERTYPE",
                     "GETPARAMETEREXTRA1", "GETPARAMETEREXTRA2"):
            queries += simple(name, i)
    for capability in (0, 4, 5, 10, 11, 12):
        queries += simple("GETPLUGINCAPS", capability)
    yield "parameter-queries", queries

    yield "null-records", b"".join(call(FF[name], 0, b"\x00") for name in
                                   ("SETPARAMETER", "INSTANTIATEGL", "PROCESSOPENGL", "SETTIME",
                                    "PROCESSFRAME", "INSTANTIATE", "PROCESSFRAMECOPY"))

    session = instantiate()
    for i in range(11):
        session += set_parameter(1, i, 0.9) + simple("GETPARAMETER", i, 1)
        session += simple("GETPARAMETERDISPLAY", i, 1)
    session += set_parameter(1, 8, 1.0) + set_parameter(1, 9, 1.0) + set_parameter(1, 10, 1.0)
    session += frame(1) + set_time(1, 1.5) + frame(1)
    session += simple("CONNECT", 0, 1) + simple("RESIZE", 0, 1) + simple("DISCONNECT", 0, 1)
    session += simple("GETINPUTSTATUS", 0, 1) + simple("GETINPUTSTATUS", 1, 1)
    session += deinstantiate(1)
    yield "one-instance-session", session

    odd = instantiate()
    odd += frame(1, count=0)
    odd += frame(1, list_present=False)
    odd += frame(1, textures=[texture(present=False)] * 4)
    odd += frame(1, textures=[texture(size=(8, 8, 0, 0))] * 4)
    odd += frame(1, textures=[texture(size=(0, 0, 0, 0))] * 4)
    odd += frame(1, textures=[texture(host_texture=False)] * 4)
    odd += frame(1, textures=[texture(size=(16, 16, 8, 8))] * 4)
    odd += set_parameter_bits(1, 8, 0x7FC00000) + frame(1)      # NaN switch
    odd += set_parameter_bits(1, 9, 0x4F000000) + frame(1)      # 2^31
    odd += set_parameter_bits(1, 10, 0xCF000001) + frame(1)     # below -2^31
    odd += set_parameter_bits(1, 0, 0x7F800000) + frame(1)      # infinity
    odd += set_time(1, float("nan")) + set_time(1, -1e308)
    odd += set_parameter(1, 11, 0.5) + set_parameter_bits(1, 0xFFFFFFFF, 0)
    yield "odd-frames", odd

    many = b""
    for n in range(1, 5):
        many += instantiate(16 * n, 9 * n)
    many += frame(1) + frame(3) + simple("DEINITIALISE") + frame(2) + frame(4)
    many += deinstantiate(2) + simple("GETNUMPARAMETERS") + frame(1) + deinstantiate(1)
    many += instantiate() + simple("DEINITIALISE") + simple("DEINITIALISE") + frame(3)
    yield "four-instances-deinitialise", many

    yield "unknown-codes", b"".join(call(code, 0, index(0)) for code in (24, 27, 30, 34, 35)) + \
        bytes([36, 0]) + u32(0xFFFFFFFF) + index(0) + bytes([39, 0]) + u32(0x80000011) + index(0)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(out, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
