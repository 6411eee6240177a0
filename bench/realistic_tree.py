#!/usr/bin/env python3
"""Makes a folder tree like a shelf of labelled disks: 500 folders disk000..disk499, each a disk of its own
kind (camera cards and their backups, scans, documents, music, software projects, a mix), 1,000,000 entries
(files and folders) in all, the same tree for the same seed.

Names are what such disks hold: camera files (IMG_1234.JPG, DSC_0042.NEF, 20190312_142233.jpg), dated
scans (Scan 2019-03-12.pdf), documents named in English, German, French and Russian, tracks, source files;
over 30 extensions; folders nested one to six deep. Many disks are backups of the same photos or documents,
so the same names recur across disks. Files are empty but sparse-sized, with varied modification times.

Usage: bench/realistic_tree.py DIR [ENTRIES] [SEED]      (1000000 entries, seed 1 by default)
The tree is made once: a DIR with DIR.complete beside it, made with the same arguments, is left as it is
(the mark is beside the tree, not in it, so that no search counts it).
"""
import os
import random
import sys

DISKS = 500

WORDS = {
    "en": ["invoice", "report", "budget", "summary", "letter", "contract", "holiday", "summer", "winter",
           "project", "draft", "final", "backup", "notes", "meeting", "minutes", "receipt", "statement",
           "annual", "plan", "design", "family", "wedding", "birthday", "garden", "house", "school",
           "thesis", "chapter", "slides", "manual", "guide", "travel", "recipe", "offer", "order",
           "payment", "salary", "insurance", "policy", "doctor", "essay", "story", "poster", "price",
           "inventory", "customer", "agenda", "schedule", "contacts", "review", "survey", "results",
           "analysis", "template", "memo", "todo", "ideas", "party", "concert", "beach", "mountain"],
    "de": ["Rechnung", "Angebot", "Bericht", "Steuererklärung", "Übersicht", "Größe", "Vertrag",
           "Kündigung", "Urlaub", "Hochzeit", "Geburtstag", "Zeugnis", "Bewerbung", "Lebenslauf",
           "Protokoll", "Besprechung", "Kontoauszug", "Versicherung", "Nebenkosten", "Mietvertrag",
           "Präsentation", "Gehaltsabrechnung", "Einkaufsliste", "Fotos", "Schule", "Garten", "Straße"],
    "fr": ["facture", "devis", "rapport", "réunion", "été", "hiver", "déclaration", "impôts", "contrat",
           "vacances", "mariage", "anniversaire", "relevé", "bulletin", "candidature", "résumé",
           "présentation", "assurance", "quittance", "loyer", "école", "maison", "cuisine", "recette",
           "Noël", "fête", "crèche", "séjour"],
    "ru": ["отчёт", "Договор", "Счёт", "фото", "Отпуск", "Свадьба", "день рождения", "документы",
           "Презентация", "Справка", "Заявление", "паспорт", "квитанция", "резюме", "Дача", "школа",
           "Москва", "Санкт-Петербург", "Новый год", "музыка", "книга", "Журнал", "письмо"],
}
NAMES = ["Müller", "Schmidt", "Dupont", "Lefèvre", "Smith", "Johnson", "Иванов", "Петрова", "Garcia",
         "Rossi", "Novák", "Kowalski", "Andersson", "O'Brien", "Nguyen"]
PLACES = ["Berlin", "Paris", "London", "Wien", "Lyon", "Zürich", "Praha", "Roma", "Oslo", "Krakow",
          "Marseille", "München", "Köln", "Genève", "Москва", "Brighton", "Dubrovnik", "Lisboa"]
DOC_EXT = ["pdf", "doc", "docx", "odt", "rtf", "txt", "xls", "xlsx", "ods", "csv", "ppt", "pptx", "odp",
           "eml", "msg", "html"]
PHOTO_EXT = ["JPG", "jpg", "jpeg", "NEF", "CR2", "ARW", "RAF", "DNG", "HEIC", "png", "PNG", "tif"]
VIDEO_EXT = ["MOV", "MP4", "mp4", "AVI", "MTS", "3gp", "mkv"]
AUDIO_EXT = ["mp3", "flac", "ogg", "m4a", "wav", "wma"]
CODE_FILES = ["main.c", "main.cpp", "util.c", "util.h", "Makefile", "README.md", "README", "LICENSE",
              "setup.py", "index.html", "style.css", "app.js", "config.yaml", "build.sh", ".gitignore",
              "CMakeLists.txt", "test.py", "server.go", "Cargo.toml", "lib.rs", "pom.xml", "App.java"]
CODE_DIRS = ["src", "include", "lib", "tests", "docs", "build", "bin", "scripts", "assets", "vendor"]
CODE_EXT = ["c", "h", "cpp", "hpp", "py", "js", "ts", "java", "go", "rs", "sh", "pl", "rb", "php", "sql"]
ARTISTS = ["The Beatles", "Édith Piaf", "Kraftwerk", "ABBA", "Pink Floyd", "Кино", "Rammstein",
           "Daft Punk", "Miles Davis", "Nina Simone", "Queen", "Stromae", "Björk", "Radiohead"]
TRACK_WORDS = ["Love", "Night", "Blue", "Song", "Dance", "Rain", "Heart", "Road", "Dream", "Light",
               "Liebe", "Nacht", "Lied", "Amour", "Nuit", "Chanson", "Ночь", "Звезда", "Город", "Intro"]


class Disk:
    """One disk's tree, written as it is made; counts its entries against a budget."""

    def __init__(self, root, budget, rng):
        self.root = root
        self.left = budget
        self.rng = rng
        self.folders = set()
        os.makedirs(root, exist_ok=True)

    def folder(self, *parts):
        path = self.root
        for part in parts:
            path = os.path.join(path, part)
            if path not in self.folders and self.left > 0:
                os.mkdir(path)
                self.folders.add(path)
                self.left -= 1
                self.stamp(path)
        return path

    def file(self, folder, name, size):
        if self.left <= 0:
            return
        path = os.path.join(folder, name)
        if os.path.lexists(path):
            return
        fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
        try:
            if size:
                os.ftruncate(fd, size)  # sparse: no blocks used
            os.utime(fd, (self.stamp_time(), self.stamp_time()))
        finally:
            os.close(fd)
        self.left -= 1

    def stamp_time(self):
        return self.rng.randrange(852076800, 1767225600)  # 1997 .. 2025

    def stamp(self, path):
        t = self.stamp_time()
        os.utime(path, (t, t))


def date(rng, years=(2001, 2025)):
    return rng.randrange(*years), rng.randrange(1, 13), rng.randrange(1, 29)


def camera_name(rng, style, n, day):
    y, m, d = day
    if style == 0:
        return f"IMG_{n % 10000:04d}.{rng.choice(['JPG', 'JPG', 'CR2', 'MOV'])}"
    if style == 1:
        return f"DSC_{n % 10000:04d}.{rng.choice(['JPG', 'NEF', 'NEF'])}"
    if style == 2:
        return f"DSC{n % 100000:05d}.{rng.choice(['JPG', 'ARW'])}"
    if style == 3:
        return f"{y}{m:02d}{d:02d}_{rng.randrange(6, 23):02d}{rng.randrange(60):02d}{rng.randrange(60):02d}.jpg"
    if style == 4:
        return f"P{m:X}{d:02d}{n % 10000:04d}.JPG"
    if style == 5:
        return f"PXL_{y}{m:02d}{d:02d}_{rng.randrange(10**8, 10**9)}.jpg"
    return f"DSCN{n % 10000:04d}.JPG"


def phrase(rng):
    lang = rng.choice(["en", "en", "en", "de", "fr", "ru"])
    words = WORDS[lang]
    kind = rng.randrange(7)
    if kind == 0:
        return f"{rng.choice(words)} {rng.randrange(1995, 2026)}"
    if kind == 1:
        y, m, d = date(rng)
        return f"{rng.choice(words)} {y}-{m:02d}-{d:02d}"
    if kind == 2:
        return f"{rng.choice(words)} {rng.choice(NAMES)}"
    if kind == 3:
        return f"{rng.choice(words)}_{rng.choice(words)}_v{rng.randrange(1, 9)}"
    if kind == 4:
        return f"{rng.choice(words).capitalize()} {rng.choice(PLACES)}"
    if kind == 5:
        return f"{rng.choice(words)}-{rng.choice(['final', 'draft', 'alt', 'copy', 'neu', 'nouveau'])}"
    return rng.choice(words)


class PhotoPool:
    """The photos of a few cameras, shot over years; photo disks are backups of stretches of them."""

    def __init__(self, rng):
        self.shots = []
        for camera in range(7):
            n = rng.randrange(1, 9000)
            for _ in range(12000):
                day = date(rng, (2003, 2025))
                n += 1
                self.shots.append((camera, day, camera_name(rng, camera, n, day)))
            rng.shuffle(self.shots[-12000:])


def photo_disk(disk, rng, pool):
    layout = rng.randrange(3)
    start = rng.randrange(len(pool.shots) - 4000)
    shots = pool.shots[start:start + 4000]
    top = rng.choice(["DCIM", "Photos", "Bilder", "Фото", "Backup"])
    for i, (camera, (y, m, d), name) in enumerate(shots):
        if disk.left <= 0:
            return
        if layout == 0:
            folder = disk.folder(top, f"{100 + camera}{['CANON', 'NIKON', 'MSDCF', 'OLYMP'][camera % 4]}")
        elif layout == 1:
            folder = disk.folder(top, str(y), f"{y}-{m:02d} {rng.choice(PLACES) if i % 50 == 0 else ''}".strip())
        else:
            folder = disk.folder(top, str(y), f"{m:02d}", f"{d:02d}")
        disk.file(folder, name, rng.randrange(800_000, 25_000_000))


def scan_disk(disk, rng):
    top = rng.choice(["Scans", "Scanner", "Archiv", "Numérisations", "Сканы"])
    while disk.left > 0:
        y, m, d = date(rng, (1998, 2025))
        folder = disk.folder(top, str(y), rng.choice(WORDS["de"] + WORDS["en"][:20]))
        name = f"Scan {y}-{m:02d}-{d:02d}" + (f" ({rng.randrange(2, 6)})" if rng.random() < 0.2 else "")
        disk.file(folder, name + "." + rng.choice(["pdf", "pdf", "tif", "jpg", "png"]),
                  rng.randrange(50_000, 4_000_000))


def document_disk(disk, rng, shared):
    tops = ["Documents", "Dokumente", "Mes documents", "Документы", "Work", "Privat", "Taxes", "Invoices"]
    while disk.left > 0:
        depth = rng.randrange(1, 6)
        parts = [rng.choice(tops)] + [phrase(rng) if rng.random() < 0.5 else str(rng.randrange(1998, 2026))
                                      for _ in range(depth - 1)]
        folder = disk.folder(*parts)
        for _ in range(rng.randrange(1, 25)):
            name = rng.choice(shared) if rng.random() < 0.4 else phrase(rng)
            disk.file(folder, f"{name}.{rng.choice(DOC_EXT)}", rng.randrange(2_000, 3_000_000))


def music_disk(disk, rng):
    while disk.left > 0:
        artist = rng.choice(ARTISTS)
        album = f"{rng.choice(TRACK_WORDS)} {rng.choice(TRACK_WORDS)} ({rng.randrange(1965, 2025)})"
        folder = disk.folder(rng.choice(["Music", "Musik", "Musique", "Музыка"]), artist, album)
        ext = rng.choice(AUDIO_EXT)
        for t in range(1, rng.randrange(6, 16)):
            disk.file(folder, f"{t:02d} {rng.choice(TRACK_WORDS)} {rng.choice(TRACK_WORDS)}.{ext}",
                      rng.randrange(2_000_000, 60_000_000))
        if rng.random() < 0.5:
            disk.file(folder, rng.choice(["cover.jpg", "folder.jpg", "Cover.png"]), rng.randrange(20_000, 900_000))


def project_disk(disk, rng):
    while disk.left > 0:
        project = f"{rng.choice(WORDS['en'])}-{rng.choice(['tool', 'app', 'site', 'lib', 'server'])}"
        version = f"{project}-{rng.randrange(0, 4)}.{rng.randrange(0, 20)}"
        for top in CODE_FILES[:rng.randrange(3, len(CODE_FILES))]:
            disk.file(disk.folder("Projects", version), top, rng.randrange(100, 40_000))
        for _ in range(rng.randrange(2, 8)):
            sub = [rng.choice(CODE_DIRS) for _ in range(rng.randrange(1, 4))]
            folder = disk.folder("Projects", version, *sub)
            for _ in range(rng.randrange(3, 30)):
                stem = rng.choice(WORDS["en"]) + rng.choice(["", "_test", "_util", "Manager", "View", "2"])
                disk.file(folder, f"{stem}.{rng.choice(CODE_EXT)}", rng.randrange(100, 80_000))


def mixed_disk(disk, rng, pool, shared):
    while disk.left > 0:
        kind = rng.randrange(4)
        if kind == 0:
            y, m, d = date(rng)
            folder = disk.folder("Handy", f"{y}")
            for _ in range(rng.randrange(5, 40)):
                camera, day, name = rng.choice(pool.shots)
                disk.file(folder, name if rng.random() < 0.7 else f"VID_{day[0]}{day[1]:02d}{day[2]:02d}"
                          f"_{rng.randrange(100000, 999999)}.{rng.choice(VIDEO_EXT)}", rng.randrange(10**6, 10**9))
        elif kind == 1:
            folder = disk.folder(rng.choice(["Downloads", "Téléchargements", "Загрузки"]))
            for _ in range(rng.randrange(5, 30)):
                ext = rng.choice(["zip", "7z", "tar.gz", "iso", "exe", "deb", "dmg", "pdf", "epub", "torrent"])
                disk.file(folder, f"{phrase(rng)}.{ext}", rng.randrange(10_000, 700_000_000))
        elif kind == 2:
            document_disk_step(disk, rng, shared)
        else:
            folder = disk.folder("Desktop", rng.choice(["old", "alt", "neu", "ancien", "temp", "Новая папка"]))
            for _ in range(rng.randrange(3, 20)):
                disk.file(folder, f"{phrase(rng)}.{rng.choice(DOC_EXT + PHOTO_EXT)}", rng.randrange(0, 5_000_000))


def document_disk_step(disk, rng, shared):
    folder = disk.folder("Documents", str(rng.randrange(1998, 2026)), phrase(rng))
    for _ in range(rng.randrange(3, 20)):
        name = rng.choice(shared) if rng.random() < 0.5 else phrase(rng)
        disk.file(folder, f"{name}.{rng.choice(DOC_EXT)}", rng.randrange(2_000, 3_000_000))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    entries = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    stamp = f"{entries} {seed}\n"
    marker = os.path.normpath(root) + ".complete"
    if os.path.exists(marker) and open(marker).read() == stamp:
        return
    if os.path.exists(root) and os.listdir(root):
        sys.exit(f"{root} holds another tree: remove it first")
    rng = random.Random(seed)
    pool = PhotoPool(rng)
    shared = [phrase(rng) for _ in range(3000)]  # documents copied from disk to disk
    weights = [rng.lognormvariate(0, 0.6) for _ in range(DISKS)]
    budgets = [int(entries * w / sum(weights)) for w in weights]
    budgets[0] += entries - sum(budgets)
    for number, budget in enumerate(budgets):
        disk = Disk(os.path.join(root, f"disk{number:03d}"), budget, rng)
        kind = rng.choices(["photo", "scan", "doc", "music", "code", "mixed"], [30, 8, 25, 10, 7, 20])[0]
        if kind == "photo":
            while disk.left > 0:
                photo_disk(disk, rng, pool)
        elif kind == "scan":
            scan_disk(disk, rng)
        elif kind == "doc":
            document_disk(disk, rng, shared)
        elif kind == "music":
            music_disk(disk, rng)
        elif kind == "code":
            project_disk(disk, rng)
        else:
            mixed_disk(disk, rng, pool, shared)
        if number % 50 == 49:
            print(f"  {number + 1} disks", file=sys.stderr)
    with open(marker, "w") as f:
        f.write(stamp)


if __name__ == "__main__":
    main()
