#!/usr/bin/env python3
# Writes a Hugo site comparable to velmo_make_site's: 50 × 4 sections, PAGES pages spread over
# them, three chapters of about 700 characters each, the same two-level menu; for side-by-side
# timings (hugo --quiet -s DIR).
import os
import sys

TOP, SUB = 50, 4

LAYOUT = """<!DOCTYPE html>
<html lang="ja"><head><meta charset="utf-8"><link rel="stylesheet" href="/css/main.css">
<title>{{ .Title }} | {{ .Site.Title }}</title></head>
<body><header><h1>{{ .Site.Title }}</h1><p>{{ .Site.Params.summary }}</p></header>
<nav><ul>{{ $here := .CurrentSection }}{{ range .Site.Sections.ByWeight }}<li><a href="{{ .RelPermalink }}">{{ .Title }}</a>
{{ if or (eq . $here) (eq . $here.Parent) }}<ul>{{ range .Sections.ByWeight }}<li><a href="{{ .RelPermalink }}">{{ .Title }}</a></li>{{ end }}</ul>{{ end }}</li>
{{ end }}</ul></nav>
<p class="path">{{ range .Ancestors.Reverse }}<a href="{{ .RelPermalink }}">{{ .Title }}</a> &gt; {{ end }}</p>
<main>{{ .Content }}</main>
<footer>© 2024 Velmo</footer></body></html>
"""


def body(n):
    sentence = f"こむぎ堂では毎朝、国産小麦と天然酵母でパンを焼いています。番号{n}。"
    text = ""
    while len(text) < 690:
        text += sentence
    return text


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_hugo_site.py DIR PAGES")
    root, pages = sys.argv[1], int(sys.argv[2])
    write(f"{root}/config.toml",
          'baseURL = "http://example.com/"\nlanguageCode = "ja"\ntitle = "ベンチマークのサイト"\n'
          'disableKinds = ["taxonomy", "term", "RSS", "sitemap"]\n'
          '[params]\nsummary = "合成されたサイト"\n'
          '[markup.goldmark.renderer]\nunsafe = true\n')
    write(f"{root}/layouts/_default/single.html", LAYOUT)
    write(f"{root}/layouts/_default/list.html", LAYOUT)
    write(f"{root}/static/css/main.css", "body{margin:0}\n")
    leaves = []
    for t in range(TOP):
        write(f"{root}/content/c{t}/_index.md", f"---\ntitle: カテゴリ{t}\nweight: {t + 1}\n---\n")
        leaves.append(f"c{t}")
        for s in range(SUB):
            write(f"{root}/content/c{t}/s{s}/_index.md",
                  f"---\ntitle: サブ{t}-{s}\nweight: {s + 1}\n---\n")
            leaves.append(f"c{t}/s{s}")
    for p in range(pages):
        chapters = "".join(f"<section><h2>第{g + 1}章</h2>\n<p>{body(p * 3 + g)}</p></section>\n"
                           for g in range(3))
        write(f"{root}/content/{leaves[p % len(leaves)]}/p{p}.md",
              f"---\ntitle: ページ{p}のタイトル\ndescription: ページ{p}の概要\n---\n{chapters}")


main()
