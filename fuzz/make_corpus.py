#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into fuzz/corpus/<target>/: small valid
files of every kind and encoding each parser reads. The files are committed; run
this again only to change them."""
import os
import shutil
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")


def put(target, name, data):
    d = os.path.join(OUT, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


# ---- .x files ---------------------------------------------------------------------
TEXT_MESH = b"""xof 0303txt 0032
// A textured, coloured square in a frame, its material given by reference.
Material Red {
  1.0; 0.0; 0.0; 1.0;;
  10.0;
  1.0; 1.0; 1.0;;
  0.0; 0.0; 0.0;;
  TextureFilename { ".\\\\wood.png"; }
}
Frame Body {
  FrameTransformMatrix {
    1.0, 0.0, 0.0, 0.0,
    0.0, 1.0, 0.0, 0.0,
    0.0, 0.0, 1.0, 0.0,
    2.0, 0.0, 0.0, 1.0;;
  }
  Mesh Square {
    4;
    0.0; 0.0; 0.0;,
    1.0; 0.0; 0.0;,
    1.0; 1.0; 0.0;,
    0.0; 1.0; 0.0;;
    2;
    3; 0, 1, 2;,
    4; 0, 2, 3, 1;;
    MeshNormals {
      1;
      0.0; 0.0; 1.0;;
      2;
      3; 0, 0, 0;,
      4; 0, 0, 0, 0;;
    }
    MeshTextureCoords {
      4;
      0.0; 0.0;,
      1.0; 0.0;,
      1.0; 1.0;,
      0.0; 1.0;;
    }
    MeshVertexColors {
      2;
      0; 1.0; 0.5; 0.25; 1.0;;,
      3; 0.0; 0.0; 1.0; 0.5;;;
    }
    MeshMaterialList {
      2;
      2;
      0,
      1;;
      { Red }
      Material {
        0.0; 1.0; 0.0; 1.0;;
        0.0;
        0.0; 0.0; 0.0;;
        0.0; 0.0; 0.0;;
      }
    }
  }
  Frame Wheel {
    FrameTransformMatrix {
      1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0;;
    }
    { Square }
  }
}
"""

TEXT_TEMPLATES = b"""xof 0302txt 0064
template Sample {
  <A4A4F2B1-5E2C-4C1B-9C4E-0D6C1E2F3A4B>
  DWORD count;
  array FLOAT values[count];
  STRING label;
  array WORD grid[2][count];
  CHAR sign;
  [...]
}
template Closed {
  <0B1C2D3E-4F50-6172-8394-A5B6C7D8E9F0>
  Vector where;
  [Sample <A4A4F2B1-5E2C-4C1B-9C4E-0D6C1E2F3A4B>]
}
Header { 1; 0; 1; }
Sample First {
  <11111111-2222-3333-4444-555555555555>
  3;
  1.5; -2.25e3; 0.0;;
  "a label";
  1, 2, 3, 4, 5, 6;
  -7;
  Closed { 1.0; 2.0; 3.0;; }
  { First }
}
Closed Second { 0.5; 0.5; 0.5;; { <11111111-2222-3333-4444-555555555555> } }
"""


def name(s):
    return struct.pack("<HI", 1, len(s)) + s


def ints(*v):
    return struct.pack("<HI", 6, len(v)) + struct.pack("<%dI" % len(v), *v)


def floats(*v):
    return struct.pack("<HI", 7, len(v)) + struct.pack("<%df" % len(v), *v)


def tok(t):
    return struct.pack("<H", t)


OB, CB = tok(10), tok(11)


def binary_mesh():
    mesh = (name(b"Mesh") + name(b"Tri") + OB +
            ints(3) + floats(0, 0, 0, 1, 0, 0, 0, 1, 0) +
            ints(1, 3, 0, 1, 2) +
            name(b"MeshMaterialList") + OB + ints(1, 1, 0) +
            name(b"Material") + OB + floats(0.5, 0.5, 0.5, 1, 4, 1, 1, 1, 0, 0, 0) +
            name(b"TextureFilename") + OB + struct.pack("<HI", 2, 7) + b"top.tga" + tok(20) + CB +
            CB + CB +
            name(b"MeshNormals") + OB + ints(1) + floats(0, 0, -1) + ints(1, 3, 0, 0, 0) + CB +
            CB)
    frame = name(b"Frame") + name(b"Root") + OB + mesh + CB
    return b"xof 0303bin 0032" + frame


def mszip(header, body):
    out = bytearray(header + struct.pack("<I", len(header) + len(body)))
    for i in range(0, len(body), 32768):
        block = body[i:i + 32768]
        c = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = c.compress(block) + c.flush()
        out += struct.pack("<HH", len(block), len(packed) + 2) + b"CK" + packed
    return bytes(out)


def xfiles():
    bmesh = binary_mesh()
    files = {
        "mesh.x": TEXT_MESH,
        "templates.x": TEXT_TEMPLATES,
        "mesh_bin.x": bmesh,
        "mesh_tzip.x": mszip(b"xof 0303tzip0032", TEXT_MESH[16:]),
        "mesh_bzip.x": mszip(b"xof 0303bzip0032", bmesh[16:]),
    }
    for target in ("xfile", "xmesh"):
        for n, data in files.items():
            put(target, n, data)


# ---- images -------------------------------------------------------------------------
W, H = 5, 3  # odd sizes: row padding and non-power-of-two grids


def pixel(x, y):
    return (x * 50 % 256, y * 80 % 256, (x + y) * 30 % 256)


def bmp24():
    pad = (4 - W * 3 % 4) % 4
    rows = b"".join(b"".join(bytes(pixel(x, y)[::-1]) for x in range(W)) + b"\0" * pad for y in reversed(range(H)))
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(rows), 0, 0, 14 + len(info)) + info + rows


def bmp8_topdown():
    palette = b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(0, 256, 64))
    pad = (4 - W % 4) % 4
    rows = b"".join(bytes((x + y) % 4 for x in range(W)) + b"\0" * pad for y in range(H))
    info = struct.pack("<IiiHHIIiiII", 40, W, -H, 1, 8, 0, len(rows), 0, 0, 4, 0)
    off = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", off + len(rows), 0, 0, off) + info + palette + rows


def bmp32_bitfields():
    rows = b"".join(struct.pack("<I", (pixel(x, y)[0] << 8) | (pixel(x, y)[1] << 16) | (pixel(x, y)[2] << 24))
                    for y in reversed(range(H)) for x in range(W))
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 32, 3, len(rows), 0, 0, 0, 0)
    masks = struct.pack("<III", 0x0000FF00, 0x00FF0000, 0xFF000000)
    off = 14 + len(info) + len(masks)
    return b"BM" + struct.pack("<IHHI", off + len(rows), 0, 0, off) + info + masks + rows


def bmp16_rle8():
    # 8-bit RLE: a run, an absolute run, end of line, end of bitmap.
    palette = b"".join(bytes((i * 60, i * 30, 255 - i * 60, 0)) for i in range(4))
    data = bytes((5, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 0, 5, 2, 0, 1))
    info = struct.pack("<IiiHHIIiiII", 40, W, 2, 1, 8, 1, len(data), 0, 0, 4, 0)
    off = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", off + len(data), 0, 0, off) + info + palette + data


def tga32():
    head = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, W, H, 32, 8 | 0x20)
    body = b"".join(bytes(pixel(x, y)[::-1]) + bytes((200,)) for y in range(H) for x in range(W))
    return head + body


def tga24_rle():
    head = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, W, H, 24, 0)
    body = b""
    for y in range(H):
        body += bytes((0x80 | 2,)) + bytes((10, 20, 30))           # a run of three
        body += bytes((1,)) + bytes((1, 2, 3)) + bytes((4, 5, 6))   # two raw pixels
    return head + body + b"\0" * 8 + b"TRUEVISION-XFILE.\0"


def png(colour_type=2, palette=None):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b""
    for y in range(H):
        raw += b"\0"
        for x in range(W):
            raw += bytes(pixel(x, y)) if colour_type == 2 else bytes(((x + y) % 3,))
    body = chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, colour_type, 0, 0, 0))
    if palette:
        body += chunk(b"PLTE", palette) + chunk(b"tRNS", b"\x80")
    body += chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
    return b"\x89PNG\r\n\x1a\n" + body


def ppm():
    return b"P6\n# a comment\n%d %d\n255\n" % (W, H) + b"".join(bytes(pixel(x, y)) for y in range(H) for x in range(W))


def pgm_ascii():
    return b"P2\n%d %d\n15\n" % (W, H) + b" ".join(b"%d" % ((x * y) % 16) for y in range(H) for x in range(W)) + b"\n"


def jpeg():
    """Made by ImageMagick from the PPM when it is installed; None otherwise."""
    tool = shutil.which("convert")
    if not tool:
        return None
    with tempfile.TemporaryDirectory() as d:
        src, dst = os.path.join(d, "a.ppm"), os.path.join(d, "a.jpg")
        with open(src, "wb") as f:
            f.write(ppm())
        if subprocess.run([tool, src, "-quality", "50", "-strip", dst]).returncode != 0:
            return None
        with open(dst, "rb") as f:
            return f.read()


def images():
    files = {
        "rgb24.bmp": bmp24(), "pal8_topdown.bmp": bmp8_topdown(), "bitfields32.bmp": bmp32_bitfields(),
        "rle8.bmp": bmp16_rle8(), "rgba32.tga": tga32(), "rle24.tga": tga24_rle(), "rgb.png": png(),
        "palette.png": png(3, bytes((255, 0, 0, 0, 255, 0, 0, 0, 255))), "rgb.ppm": ppm(), "grey.pgm": pgm_ascii(),
    }
    j = jpeg()
    if j:
        files["small.jpg"] = j
    for n, data in files.items():
        put("image", n, data)
    for n in ("rgb24.bmp", "pal8_topdown.bmp", "rgba32.tga", "rgb.png", "rgb.ppm"):
        put("terrain", n, files[n])


# ---- WAV ----------------------------------------------------------------------------
def riff(form, *chunks):
    body = form
    for cid, data in chunks:
        body += cid + struct.pack("<I", len(data)) + data + (b"\0" if len(data) & 1 else b"")
    return b"RIFF" + struct.pack("<I", len(body)) + body


def fmt(channels, rate, bits, extra=b""):
    align = channels * bits // 8
    data = struct.pack("<HHIIHH", 1, channels, rate, rate * align, align, bits)
    return data + (struct.pack("<H", len(extra)) + extra if extra else b"")


def wavs():
    put("wav", "mono8.wav", riff(b"WAVE", (b"fmt ", fmt(1, 8000, 8)), (b"data", bytes(range(0, 250, 10)))))
    put("wav", "stereo16.wav", riff(b"WAVE", (b"fmt ", fmt(2, 22050, 16, b"\0\0")),
                                     (b"LIST", b"INFO" + b"INAM" + struct.pack("<I", 3) + b"ab\0\0"),
                                     (b"data", struct.pack("<8h", 0, 1000, -1000, 32767, -32768, 5, 6, 7))))
    # An odd-sized chunk before the samples, padded, and a short last frame.
    put("wav", "padded.wav", riff(b"WAVE", (b"fmt ", fmt(1, 11025, 16)), (b"fact", b"\1\2\3"),
                                   (b"data", b"\1\2\3\4\5")))


# ---- MIDI ---------------------------------------------------------------------------
def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def track(events):
    body = b"".join(vlq(d) + e for d, e in events) + b"\0\xff\x2f\0"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def smf(fmt_, division, tracks):
    return b"MThd" + struct.pack(">IHHH", 6, fmt_, len(tracks), division) + b"".join(tracks)


def midis():
    tempo = (0, b"\xff\x51\x03\x07\xa1\x20")
    notes = [tempo, (0, b"\xc0\x05"), (0, b"\x90\x3c\x64"), (96, b"\x3e\x64"),  # running status
             (96, b"\x80\x3c\x40"), (0, b"\x90\x3e\x00"), (0, b"\xf0\x03\x7e\x09\xf7"),
             (10, b"\xb0\x07\x64"), (200, b"\xe0\x00\x40"), (0, b"\xff\x01\x04text")]
    put("midi", "format0.mid", smf(0, 96, [track(notes)]))
    put("midi", "format1.mid", smf(1, 480, [track([tempo, (960, b"\xff\x51\x03\x0f\x42\x40")]),
                                          track([(0, b"\x91\x40\x50"), (480, b"\x81\x40\x00")])]))
    # SMPTE: 25 frames a second, 40 ticks a frame.
    put("midi", "smpte.mid", smf(0, 0xE728, [track([(0, b"\x99\x24\x7f"), (1000, b"\x89\x24\x00")])]))
    put("midi", "wrapped.rmi", riff(b"RMID", (b"data", smf(0, 96, [track(notes[:4])]))))


# ---- keyframe animations ------------------------------------------------------------
def animation(names, records):
    """A part count, names, a key count and one record a line, key-major."""
    keys = len(records) // max(len(names), 1) if names else 0
    return ("%d\n" % len(names) + "".join(n + "\n" for n in names) + "%d\n" % keys +
            "".join(r + "\n" for r in records)).encode()


def animations():
    walk = ["0,0,0 0,0,0,1", "1.5,0,-2 0,0.382683,0,0.923880",
            "0.5,1,0 0,0,0,1", "2,0.25,-2 0,0.707107,0,0.707107",
            "1e0,2E0,3 0,1,0,0", "-2.5,0,-2 0,0.923880,0,-0.382683"]
    put("animation", "walk.txt", animation(["body.x", "arm.x"], walk))
    put("animation", "crlf_tabs.txt", b"2\r\nbody.x\tarm.x\r\n1\r\n\t1,2,3\t0,0,0,1\r\n 4, 5, 6 0,0,0,1\r\n")
    # Every spelling of a number that fscanf takes, and records glued by signs.
    put("animation", "spellings.txt", animation(["p.x"], [
        "+1.5,-0,1e3 .5,5.,0x1p3,0X.8P-1", "inf,-INFINITY,nan 1e999,-1e-50,1e,0x.",
        "1e+,0x1p,NaN(1) 00012,1.5e-3,-.25,1"]))
    put("animation", "glued.txt", b"2a.x b.x 2 1,2,3-1,0,0,1-0,0,0 0,0,0,1+1,1,1+0,0,0,1 .5,.5,.5.5,.5,.5,.5")
    put("animation", "truncated.txt", animation(["a.x", "b.x"], walk)[:-30])
    put("animation", "comma_after_space.txt", b"1 a.x 2\n1 ,2,3 0,0,0,1\n4,5,6 0,0,0,1\n")
    put("animation", "not_numbers.txt", b"2 a.x b.x 1\n1,2,3 0,0,0,1\nx,y,z 0,0,0,1\n")
    put("animation", "huge_counts.txt", b"2147483647 a b 2147483647 0,0,0 0,0,0,1")
    put("animation", "huge_keys.txt", b"1 a.x 99999999999999999999 0,0,0 0,0,0,1")
    put("animation", "negative_counts.txt", b"1 a.x -3 0,0,0 0,0,0,1\n")
    put("animation", "long_name.txt", animation(["n" * 300 + ".x", "short.x"], walk[:2]))
    put("animation", "no_parts.txt", b"0\n5\n")
    put("animation", "no_keys.txt", b"2 a.x b.x 0\n")


if __name__ == "__main__":
    if os.path.isdir(OUT):
        shutil.rmtree(OUT)
    xfiles()
    images()
    wavs()
    midis()
    animations()
