#!/usr/bin/python3
"""Builds the labelled sets from Debian's wallpaper packages plus generated low-contrast pictures.

Usage: make_set.py OUTDIR   (expects ./extract/<package>/... from `apt-get download` + `dpkg-deb -x`)

Writes OUTDIR/photo/ and OUTDIR/low/ (flat folders) and OUTDIR/labels.tsv with
set, file, label (the original's name), kind.  File names are <name>-<kind>.<ext>, so path order
puts an arbitrary copy kind (b105, cut8, ...) first in each label, not the original.
Originals are fitted within 1600 px (Lanczos) and stored as 24-bit BMP; copies are BMP except the
JPEG ones.  Package variants at other sizes of the same aspect are scaled by the same factor as
their largest variant (so relative sizes stay) and labelled kind pkgWxH.
"""
import os, sys, glob, random
import numpy as np
from PIL import Image, ImageDraw, ImageFilter

Image.MAX_IMAGE_PIXELS = None
EX = 'extract'
MAXSIDE = 1600

def P(rel):
    return os.path.join(EX, rel)

# ---- photographs and normal-contrast pictures (one per design; light variants only) ----
PHOTO = []
PHOTO += sorted(glob.glob(P('lomiri-wallpapers-16.04/usr/share/backgrounds/*.jpg')))
PHOTO += [P('lomiri-wallpapers-20.04/usr/share/backgrounds/' + f) for f in
          ['Infinite-Sea_by_Aury88.jpg', 'Kleiber_by_Lukas_Baubkus.jpg', 'Painting-Colors_by__herobrine7gamer.jpg']]
PHOTO += [f for f in sorted(glob.glob(P('mate-backgrounds/usr/share/backgrounds/mate/nature/*.jpg')))
          if not f.endswith('Wood.jpg')]
# mate abstract Flow.png and Gulp.png are left out: almost blank (transparent on white)
PHOTO += [P('mate-backgrounds/usr/share/backgrounds/mate/desktop/' + f) for f in
          ['Float-into-MATE.png', 'Stripes.png', 'Ubuntu-Mate-Cold-no-logo.png']]
PLASMA = ['Altai', 'Autumn', 'BytheWater', 'Canopee', 'Cascade', 'ColdRipple', 'ColorfulCups', 'DarkestHour',
          'Elarun', 'EveningGlow', 'FallenLeaf', 'Flow', 'FlyingKonqui', 'Grey', 'Honeywave', 'IceCold', 'Kay',
          'Kite', 'Kokkini', 'OneStandsOut', 'Opal', 'PastelHills', 'Patak', 'SafeLanding', 'Shell', 'Volna',
          'summer_1am']
for n in PLASMA:
    fs = glob.glob(P('plasma-workspace-wallpapers/usr/share/wallpapers/%s/contents/images/*' % n))
    fs = [f for f in fs if not os.path.islink(f)]
    def area(f):
        w, h = Image.open(f).size
        return (w >= h, w * h)
    PHOTO.append(max(fs, key=area))
PHOTO += sorted(glob.glob(P('ukui-wallpapers/usr/share/backgrounds/*')))
PHOTO = [f for f in PHOTO if not f.endswith('the-mouse.jpg')]
PHOTO += [P('desktop-base/usr/share/plymouth/themes/' + f) for f in
          ['joy/background.png', 'lines/background.png', 'softwaves/plymouth_background_waves.png',
           'futureprototype/plymouth_background_future.png', 'spacefun/background.png']]
PHOTO += [P('gnome-backgrounds/usr/share/backgrounds/gnome/%s.webp' % n) for n in
          ['grid-l', 'licorice-l', 'truchet-l', 'wood-l']]
PHOTO += [P('propaganda-debian/usr/share/wallpapers/%s.JPG' % n) for n in
          ['A-Little-Exercise-1', 'Caustic-Splotches-Of-Uber-5', 'Demonsashimi-With-Wasabi-2', 'Dreams-Of-Leaving-3',
           'Hans-Ponders-5', 'Holy-CTCP-Flood-Batman-4', 'Livid-Pink-Warts-5', 'Penguin-Sushi-1',
           'Plus-V-Is-The-Lamer-Mark-8', 'Pop-The-Clutch-1', 'Schubert-Slowly-Lefthanded-2', 'The-Fall-Of-Babylon-1',
           'Waterhouse-Efficiency-Curve-2', 'What-Goes-Up-3', 'Wrestling-Dog-1']]
# same picture at several sizes in a package (same aspect): largest first
PKG_PHOTO = [
    [P('mate-backgrounds/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg'),
     P('mate-backgrounds/usr/share/backgrounds/mate/abstract/Elephants_3840x2160.jpg'),
     P('mate-backgrounds/usr/share/backgrounds/mate/abstract/Elephants.jpg')],
    [P('sway-backgrounds/usr/share/backgrounds/sway/Sway_Wallpaper_Blue_1920x1080.png'),
     P('sway-backgrounds/usr/share/backgrounds/sway/Sway_Wallpaper_Blue_1366x768.png'),
     P('sway-backgrounds/usr/share/backgrounds/sway/Sway_Wallpaper_Blue_1136x640.png')],
]

# ---- low-contrast pictures from packages: night, dark or flat grounds, drawings ----
LOW = [P(f) for f in [
    'plasma-workspace-wallpapers/usr/share/wallpapers/MilkyWay/contents/images/5120x2880.png',
    'plasma-workspace-wallpapers/usr/share/wallpapers/Kay/contents/images_dark/5120x2880.png',
    'plasma-workspace-wallpapers/usr/share/wallpapers/Cluster/contents/images/3840x2160.png',
    'plasma-workspace-wallpapers/usr/share/wallpapers/Path/contents/images/2560x1600.jpg',
    'desktop-base/usr/share/plymouth/themes/homeworld/plymouth_background_homeworld.png',
    'desktop-base/usr/share/plymouth/themes/moonlight/background.png',
    'desktop-base/usr/share/desktop-base/emerald-theme/grub/grub-16x9.png',
    'desktop-base/usr/share/desktop-base/futureprototype-theme/grub/grub-16x9.png',
    'lomiri-wallpapers/usr/share/backgrounds/warty-final-ubuntu.png',
    'lomiri-wallpapers-20.04/usr/share/backgrounds/Fossa_by_Jasper_Roks.jpg',
    'mate-backgrounds/usr/share/backgrounds/mate/desktop/GreenTraditional.jpg',
    'mate-backgrounds/usr/share/backgrounds/mate/nature/Wood.jpg',
    'ukui-wallpapers/usr/share/backgrounds/the-mouse.jpg',
    'gnome-backgrounds/usr/share/backgrounds/gnome/adwaita-d.webp',
    'gnome-backgrounds/usr/share/backgrounds/gnome/pixels-l.webp',
    'gnome-backgrounds/usr/share/backgrounds/gnome/symbolic-d.webp',
    'propaganda-debian/usr/share/wallpapers/Praise-The-Blue-Steel-1.JPG',
    'propaganda-debian/usr/share/wallpapers/Sleep-Deprivation-5.JPG',
    'propaganda-debian/usr/share/wallpapers/No-Ones-Laughing-1.JPG',
    'propaganda-debian/usr/share/wallpapers/The-Brothers-Gibb-1.JPG',
    'propaganda-debian/usr/share/wallpapers/Theme-Park-Disaster-1.JPG',
    'propaganda-debian/usr/share/wallpapers/Brotherhood-Of-The-Thumb-2.JPG',
    'mypaint-data-extras/usr/share/mypaint/backgrounds/ramon/HR_Cork.png',
    'mypaint-data-extras/usr/share/mypaint/backgrounds/ramon/HR_DecoPaper.png',
    'mypaint-data-extras/usr/share/mypaint/backgrounds/ramon/HR_PastelPaper 01.png',
    'mypaint-data-extras/usr/share/mypaint/backgrounds/mrmamurk/mamurk_a_1.png',
    'mypaint-data-extras/usr/share/mypaint/backgrounds/mrmamurk/mamurk_f_1.png',
]]


def load(path):
    im = Image.open(path)
    if im.mode in ('RGBA', 'LA', 'P'):
        im = im.convert('RGBA')
        bg = Image.new('RGBA', im.size, (255, 255, 255, 255))
        im = Image.alpha_composite(bg, im)
    return im.convert('RGB')


def fit_within(im, factor=None):
    w, h = im.size
    f = factor if factor is not None else min(1.0, MAXSIDE / max(w, h))
    if f < 1.0:
        im = im.resize((max(1, round(w * f)), max(1, round(h * f))), Image.LANCZOS)
    return im, f


def name_of(path):
    b = os.path.basename(path)
    parts = path.split('/')
    if 'wallpapers' in parts and 'contents' in parts:
        b = parts[parts.index('contents') - 1] + ('_dark' if 'images_dark' in parts else '')
    elif '/themes/' in path or '-theme/' in path:
        b = [p for p in parts if 'theme' in p or p in ('joy', 'lines', 'softwaves', 'futureprototype', 'spacefun',
                                                       'homeworld', 'moonlight')][-1] + '_' + os.path.splitext(b)[0]
    b = os.path.splitext(b)[0]
    if 'mate-backgrounds' in path:
        b = 'mate_' + b
    return ''.join(c if c.isalnum() or c in '_' else '_' for c in b)[:40]


# ---- generated low-contrast pictures ----
def star_field(rng, w, h):
    yy, xx = np.mgrid[0:h, 0:w].astype(float)
    a = rng.uniform(0, 2 * np.pi)
    grad = (np.cos(a) * xx / w + np.sin(a) * yy / h)
    base = rng.uniform(5, 25) + rng.uniform(4, 14) * grad
    col = np.array([rng.uniform(0.7, 1.0), rng.uniform(0.75, 1.0), rng.uniform(0.9, 1.3)])
    img = base[..., None] * col[None, None, :]
    n = rng.integers(300, 2500)
    xs, ys = rng.integers(0, w, n), rng.integers(0, h, n)
    br = rng.pareto(2.5, n) * 40 + 20
    for x, y, b in zip(xs, ys, br):
        r = 1 if b < 120 else 2
        img[max(0, y - r + 1):y + r, max(0, x - r + 1):x + r] += min(b, 235)
    im = Image.fromarray(np.clip(img, 0, 255).astype(np.uint8))
    return im.filter(ImageFilter.GaussianBlur(0.6))


def drawing(rng, w, h):
    ground = tuple(int(v) for v in rng.integers(200, 250, 3))
    im = Image.new('RGB', (w, h), ground)
    d = ImageDraw.Draw(im)
    ink = tuple(int(v) for v in rng.integers(20, 120, 3))
    for _ in range(rng.integers(6, 20)):
        kind = rng.integers(0, 3)
        pts = [(int(rng.integers(0, w)), int(rng.integers(0, h))) for _ in range(2)]
        x0, x1 = sorted([pts[0][0], pts[1][0]]); y0, y1 = sorted([pts[0][1], pts[1][1]])
        lw = int(rng.integers(1, 4))
        if kind == 0:
            d.line(pts + [(int(rng.integers(0, w)), int(rng.integers(0, h)))], fill=ink, width=lw)
        elif kind == 1:
            d.ellipse([x0, y0, x1, y1], outline=ink, width=lw)
        else:
            d.rectangle([x0, y0, x1, y1], outline=ink, width=lw)
    return im


def dark_ground(rng, w, h):
    yy, xx = np.mgrid[0:h, 0:w].astype(float)
    img = np.full((h, w), rng.uniform(10, 60))
    for _ in range(rng.integers(2, 6)):
        cx, cy, s = rng.uniform(0, w), rng.uniform(0, h), rng.uniform(0.05, 0.4) * w
        img += rng.uniform(-12, 12) * np.exp(-((xx - cx) ** 2 + (yy - cy) ** 2) / (2 * s * s))
    col = rng.uniform(0.6, 1.2, 3)
    return Image.fromarray(np.clip(img[..., None] * col, 0, 255).astype(np.uint8))


def flat_ground(rng, w, h):
    base = rng.uniform(120, 230, 3)
    noise = rng.normal(0, 1.0, (h // 8 + 1, w // 8 + 1))
    tex = np.asarray(Image.fromarray(noise.astype(np.float32)).resize((w, h), Image.BICUBIC))
    yy = np.mgrid[0:h, 0:w][0] / h
    img = base[None, None, :] + (3 * tex + rng.uniform(-8, 8) * yy)[..., None]
    return Image.fromarray(np.clip(img, 0, 255).astype(np.uint8))


# ---- copies ----
def copies(im, rng):
    a = np.asarray(im).astype(np.float64)
    w, h = im.size
    out = {}
    out['jq75'] = ('jpg', im, 75)
    out['jq50'] = ('jpg', im, 50)
    out['noise2'] = ('bmp', Image.fromarray(np.clip(np.rint(a + rng.normal(0, 2, a.shape)), 0, 255).astype(np.uint8)), None)
    out['b105'] = ('bmp', Image.fromarray(np.clip(np.rint(a * 1.05), 0, 255).astype(np.uint8)), None)
    s = np.asarray(im)
    sh = np.empty_like(s); sh[1:, 1:] = s[:-1, :-1]; sh[0, 1:] = s[0, :-1]; sh[1:, 0] = s[:-1, 0]; sh[0, 0] = s[0, 0]
    out['shift1'] = ('bmp', Image.fromarray(sh), None)
    out['cut8'] = ('bmp', im.crop((8, 8, w, h)), None)
    for pct in (90, 125, 50):
        out['r%03d' % pct] = ('bmp', im.resize((max(1, round(w * pct / 100)), max(1, round(h * pct / 100))), Image.LANCZOS), None)
    return out


def save(im, path, quality=None):
    if quality:
        im.save(path, 'JPEG', quality=quality)
    else:
        im.save(path, 'BMP')


def emit(outdir, setname, name, im, rng, labels, extra=()):
    d = os.path.join(outdir, setname)
    f = '%s-orig.bmp' % name
    save(im, os.path.join(d, f)); labels.append((setname, f, name, 'orig'))
    for kind, (ext, cim, q) in copies(im, rng).items():
        f = '%s-%s.%s' % (name, kind, ext)
        save(cim, os.path.join(d, f), q); labels.append((setname, f, name, kind))
    for kind, cim in extra:
        f = '%s-%s.bmp' % (name, kind)
        save(cim, os.path.join(d, f)); labels.append((setname, f, name, kind))


def main():
    outdir = sys.argv[1]
    rng = np.random.default_rng(24)
    labels = []
    for s in ('photo', 'low'):
        os.makedirs(os.path.join(outdir, s), exist_ok=True)
    seen = set()
    for path in PHOTO:
        im, _ = fit_within(load(path))
        n = name_of(path)
        assert n not in seen, n; seen.add(n)
        emit(outdir, 'photo', n, im, rng, labels)
    for group in PKG_PHOTO:
        big = load(group[0]); im, f = fit_within(big)
        extra = []
        for v in group[1:]:
            vim, _ = fit_within(load(v), f)
            extra.append(('pkg%dx%d' % Image.open(v).size, vim))
        n = name_of(group[0]); seen.add(n)
        emit(outdir, 'photo', n, im, rng, labels, extra)
    for path in LOW:
        im, _ = fit_within(load(path))
        n = name_of(path)
        assert n not in seen, n; seen.add(n)
        emit(outdir, 'low', n, im, rng, labels)
    sizes = [(1600, 1000), (1200, 800), (1024, 768), (900, 1200), (1600, 900), (800, 600)]
    gens = [('stars', star_field, 9), ('drawing', drawing, 7), ('darkground', dark_ground, 5), ('flatground', flat_ground, 4)]
    for tag, fn, count in gens:
        for i in range(count):
            w, h = sizes[int(rng.integers(0, len(sizes)))]
            emit(outdir, 'low', 'gen_%s%02d' % (tag, i), fn(rng, w, h), rng, labels)
    with open(os.path.join(outdir, 'labels.tsv'), 'w') as fo:
        fo.write('set\tfile\tlabel\tkind\n')
        for r in labels:
            fo.write('\t'.join(r) + '\n')
    print('photo originals', sum(1 for r in labels if r[0] == 'photo' and r[3] == 'orig'),
          'low originals', sum(1 for r in labels if r[0] == 'low' and r[3] == 'orig'), 'files', len(labels))


if __name__ == '__main__':
    main()
