#!/usr/bin/env python3
# Writes the .vlm fixtures of this folder, sound and deliberately broken ones, with a writer of
# its own: the tests compare what the C++ archive writes against these bytes.
"""Regenerate with: python3 tests/data/make_fixtures.py (standard library only)."""

import struct
from datetime import datetime, timedelta, timezone
from pathlib import Path

HERE = Path(__file__).resolve().parent
JST = timezone(timedelta(hours=9))
NO_ID = (0, 0)

# Class codes and kinds as the file stores them.
SITE, CLASSIFICATION, CATEGORY, PAGE, GROUP, CONTENT, CONDITION, GENRE, BOX = (
    10, 20, 30, 40, 100, 200, 1000, 2000, 10000)
MENU, PLUGIN, DATA = 0x10200000, 0x10400000, 0x10800000
ORDINARY, LINK_MENU = 0x20100000, 0x20200000
SHORT_TEXT, LONG_TEXT, LINK, IMAGE = 0x40000001, 0x40000002, 0x40000004, 0x40010000
BUILT_IN_TEXT, GROUP_DEFAULT, GROUP_OTHER, GROUP_PLUGIN = (
    0x80001000, 0x80002000, 0x80004000, 0x80008000)


def signed(value):
    """Kinds such as 0x80001000 are stored as signed 32-bit integers."""
    return value - (1 << 32) if value >= 1 << 31 else value


def jst(year, month, day, hour=9, minute=0, second=0):
    return int(datetime(year, month, day, hour, minute, second, tzinfo=JST).timestamp())


class Narrow(str):
    """Text that goes to the file as an 8-bit code page 932 string (no FF FE FF marker)."""


class Writer:
    def __init__(self, narrow=False):
        self.buf = bytearray()
        # Every string 8-bit, tags included: the reader accepts that, and it keeps big files small.
        self.narrow = narrow
        # (what, offset, name of the object being written), for deriving the broken files.
        self.spots = []

    def i32(self, value):
        self.buf += struct.pack('<i', signed(value))

    def time32(self, seconds):
        if not 0 <= seconds <= 0xFFFFFFFF:
            raise ValueError(f'time {seconds} does not fit in 32 bits')
        self.buf += struct.pack('<I', seconds)

    def length(self, n):
        # 0xFFFE after an FF would read as the UTF-16 marker, so it takes the long form too.
        if n < 0xFF:
            self.buf.append(n)
        elif n < 0xFFFE:
            self.buf += b'\xff' + struct.pack('<H', n)
        else:
            self.buf += b'\xff\xff\xff' + struct.pack('<I', n)

    def string(self, text):
        if self.narrow or isinstance(text, Narrow):
            data = text.encode('cp932')
            self.length(len(data))
            self.buf += data
        else:
            units = text.encode('utf-16-le')
            self.buf += b'\xff\xfe\xff'
            self.length(len(units) // 2)
            self.buf += units

    def tag(self, text, owner=''):
        self.spots.append(('tag', len(self.buf), owner))
        self.string(text)

    def qid(self, qid):
        self.tag('QID::0001')
        self.i32(qid[0])
        self.i32(qid[1])

    def objects(self, elements, owner=''):
        self.tag('QObjectList::0001')
        self.spots.append(('count', len(self.buf), owner))
        self.i32(len(elements))
        for element in elements:
            element.write(self)


class Run:
    """One run of the program: a clock, and identities numbered from 0."""

    def __init__(self, start):
        self.now = start
        self.seq = 0

    def later(self, seconds):
        self.now += seconds
        return self

    def new_id(self):
        qid = (self.now, self.seq)
        self.seq += 1
        return qid


class Obj:
    code = 0

    def __init__(self, run, name='', memo='', enabled=1):
        # Every new object takes two identity numbers: its own and its first parentId.
        self.id = run.new_id()
        run.new_id()
        self.created = self.updated = run.now
        self.parent = NO_ID
        self.reserved = 0
        self.enabled = enabled
        self.name = name
        self.memo = memo

    def children(self):
        return []

    def place(self, owner_id):
        """Gives this object and everything below it the parentId of its owner."""
        self.parent = owner_id
        for child in self.children():
            child.place(self.id)

    def write(self, w):
        self.write_common(w)
        self.body(w)

    def write_common(self, w):
        w.tag('QObject::0001', self.name)
        w.qid(self.id)
        w.spots.append(('code', len(w.buf), self.name))
        w.i32(self.code)
        w.i32(self.reserved)
        w.qid(self.parent)
        w.i32(self.enabled)
        w.time32(self.created)
        w.time32(self.updated)
        w.string(self.name)
        w.string(self.memo)

    def body(self, w):
        pass


class Content(Obj):
    code = CONTENT

    def __init__(self, run, name, kind=LONG_TEXT, value='', **kw):
        super().__init__(run, name, **kw)
        self.kind = kind
        self.value = value

    def body(self, w):
        w.tag('QContent::0001', self.name)
        w.i32(self.kind)
        w.string(self.value)


class Group(Obj):
    code = GROUP

    def __init__(self, run, name, contents=(), groups=(), related=(), kind=GROUP_DEFAULT,
                 option=0, template='', **kw):
        super().__init__(run, name, **kw)
        self.kind = kind
        self.option = option
        self.groups = list(groups)
        self.contents = list(contents)
        self.related = list(related)
        self.template = template

    def children(self):
        return self.groups + self.contents + self.related

    def body(self, w):
        w.tag('QContentGroup::0001', self.name)
        w.i32(self.kind)
        w.i32(self.option)
        w.objects(self.groups, self.name)
        w.objects(self.contents, self.name)
        w.objects(self.related, self.name)
        w.string(self.template)


class Condition(Obj):
    code = CONDITION

    def __init__(self, run, name, targets, mode, first, second, **kw):
        super().__init__(run, name, **kw)
        self.reference = run.new_id()
        self.targets = list(targets)
        self.mode = mode
        self.first = first
        self.second = second

    def body(self, w):
        w.tag('QCondition::0001', self.name)
        w.i32(len(self.targets))
        for target in self.targets:
            w.qid(target)
        w.i32(self.mode)
        w.qid(self.reference)
        w.string(self.first)
        w.string(self.second)


class Page(Obj):
    code = PAGE

    def __init__(self, run, name, title='', summary='', keywords='', template='', file_name='',
                 groups=(), conditions=(), **kw):
        super().__init__(run, name, **kw)
        self.groups = list(groups)
        self.conditions = list(conditions)
        self.title = title
        self.summary = summary
        self.keywords = keywords
        self.template = template
        self.file_name = file_name

    def children(self):
        return self.groups + self.conditions

    def body(self, w):
        w.tag('QPage::0001', self.name)
        w.objects(self.groups, self.name)
        w.objects(self.conditions, self.name)
        for text in (self.title, self.summary, self.keywords, self.template, self.file_name):
            w.string(text)


class Category(Obj):
    code = CATEGORY

    def __init__(self, run, name, folder, pages=(), categories=(), kind=ORDINARY,
                 link_target=NO_ID, link_title='', aux='', **kw):
        super().__init__(run, name, **kw)
        run.new_id()  # the link target is made as a fresh identity, then unset
        self.kind = kind
        self.pages = list(pages)
        self.categories = list(categories)
        self.link_target = link_target
        self.link_title = link_title
        self.folder = folder
        self.aux = aux

    def children(self):
        return self.pages + self.categories

    def body(self, w):
        w.tag('QCategory::0001', self.name)
        w.i32(self.kind)
        w.objects(self.pages, self.name)
        w.objects(self.categories, self.name)
        w.qid(self.link_target)
        w.string(self.link_title)
        w.string(self.folder)
        w.string(self.aux)


class Classification(Obj):
    code = CLASSIFICATION

    def __init__(self, run, name, kind, categories=(), pages=(), version=2, **kw):
        super().__init__(run, name, **kw)
        self.kind = kind
        self.categories = list(categories)
        self.pages = list(pages)
        self.version = version

    def children(self):
        return self.categories + self.pages

    def body(self, w):
        w.tag(f'QClassification::000{self.version}', self.name)
        w.i32(self.kind)
        w.objects(self.categories, self.name)
        if self.version >= 2:
            w.objects(self.pages, self.name)


class Genre(Obj):
    code = GENRE

    def body(self, w):
        w.tag('QGenre::0001', self.name)


class Box(Obj):
    code = BOX

    def __init__(self, run, categories=(), pages=(), groups=()):
        super().__init__(run, 'オブジェクトボックス')
        self.categories = list(categories)
        self.pages = list(pages)
        self.groups = list(groups)

    def children(self):
        return self.categories + self.pages + self.groups

    def body(self, w):
        w.tag('QObjectBox::0001', self.name)
        w.objects(self.categories, self.name)
        w.objects(self.pages, self.name)
        w.objects(self.groups, self.name)


LEVEL_NAMES = ['レベル' + str(i).translate(str.maketrans('0123456789', '０１２３４５６７８９'))
               for i in range(1, 11)]


class Site(Obj):
    code = SITE

    def __init__(self, run, name, texts, classifications, genres=(), box=None, version=2, **kw):
        super().__init__(run, name, **kw)
        # homeTitle, summary, siteUrl, keywords, author, imageFolder, mainCss, templatePath
        assert len(texts) == 8
        self.texts = list(texts)
        self.levels = list(LEVEL_NAMES)
        self.classifications = list(classifications)
        self.genres = list(genres)
        self.box = box
        self.version = version

    def children(self):
        return self.classifications + self.genres

    def place(self, owner_id):
        super().place(owner_id)
        if self.box is not None:
            self.box.place(self.id)

    def body(self, w):
        w.tag(f'QSite::000{self.version}', self.name)
        for text in self.texts + self.levels:
            w.string(text)
        w.objects(self.classifications, self.name)
        w.objects(self.genres, self.name)
        if self.version >= 2:
            self.box.write(w)


def document(content_types, part_types, sites, narrow=False):
    for element in content_types + part_types + sites:
        element.place(NO_ID)
    w = Writer(narrow)
    w.tag('QGlobal::0001')
    w.objects(content_types)
    w.objects(part_types)
    w.objects(sites)
    return w


def built_in_catalogue(run):
    """What the program's first run appended: a few part types and "文章(通常)"."""
    part_types = []
    for kind, name in ((SHORT_TEXT, '短い文字列(255)'), (LONG_TEXT, '長い文字列(∞)'),
                       (LINK, 'リンク'), (IMAGE, '画像')):
        part = Content(run, name, kind)
        part.id = (0, kind)
        part_types.append(part)
    text_type = Group(run, '文章(通常)', kind=BUILT_IN_TEXT,
                      contents=[Content(run, '内容'), Content(run, '章のタイトル'),
                                Content(run, '章の内容')])
    text_type.id = (0, signed(BUILT_IN_TEXT))
    return [text_type], part_types


def three_classifications(run, menu=(), plugin_pages=(), data=(), version=2):
    return [Classification(run, 'メニュー', MENU, categories=menu, version=version),
            Classification(run, 'プラグイン', PLUGIN, pages=plugin_pages, version=version),
            Classification(run, 'データ', DATA, categories=data, version=version)]


def sample_document():
    first = Run(jst(2023, 4, 3, 9, 12, 5))
    content_types, part_types = built_in_catalogue(first)

    # The bakery's site, built the same day and filled in over the following months.
    run = first.later(95)
    bakery_texts = [
        'まちのパン屋 こむぎ堂',
        '毎朝6時から焼きたてのパンをお届けしています。\r\n国産小麦と自家製酵母にこだわった小さなパン屋です。',
        'https://komugido.example.jp/',
        'パン,ベーカリー,自家製酵母,国産小麦,さくら市',
        'こむぎ堂',
        'image',
        'style.css',
        '/home/komugi/velmo/template/サンプル/サンプル１',
    ]
    greeting = Group(run, 'ごあいさつ', template='文章(通常).html', contents=[
        Content(run, '内容', value='<p>こむぎ堂のホームページへようこそ。</p>\r\n'
                                  '<p>さくら駅から歩いて３分、商店街の角にある小さなパン屋です。</p>'),
        Content(run, '章のタイトル', SHORT_TEXT, '店主より'),
        Content(run, '章の内容', value='<p>パンづくりを始めて十五年になりました。'
                                     '毎日食べても飽きない味をめざしています。</p>'),
    ])
    top = Page(run.later(40), 'トップページ', title='まちのパン屋 こむぎ堂',
               summary='焼きたてパンの こむぎ堂 公式サイト',
               keywords='パン屋,焼きたて', template='トップページ.html', file_name='index',
               groups=[greeting])
    home = Category(run, 'ホーム', 'home', pages=[top])

    bread_details = Group(run.later(3600), '商品説明', option=1, template='商品.html', contents=[
        Content(run, '内容', value='<p>国産小麦「ゆめちから」を使った、もっちりとした食パンです。</p>'),
        Content(run, '価格', SHORT_TEXT, '1斤 380円（税込）'),
        Content(run, '写真', IMAGE, 'image/shokupan.jpg'),
    ])
    bread_notes = Group(run, '召し上がり方', groups=[
        Group(run, 'トースト', contents=[
            Content(run, '内容', value='<p>厚切りにして、表面がきつね色になるまで焼いてください。</p>')]),
        Group(run, '保存方法', kind=GROUP_OTHER, contents=[
            Content(run, '内容', value='<p>翌日までに食べきれない分は、<b>冷凍</b>がおすすめです。</p>')]),
    ], contents=[Content(run, '内容')])
    bread_details.related = [Group(run, 'あわせて人気', contents=[
        Content(run, '内容', LINK, '<a href="../sweets/scone.html">スコーン</a>')])]
    bread_page = Page(run, '山型食パン', title='山型食パン', summary='看板商品の山型食パン',
                      keywords='食パン,山型', template='商品ページ.html', file_name='shokupan',
                      groups=[bread_details, bread_notes])
    scone_page = Page(run.later(600), 'スコーン', title='全粒粉のスコーン',
                      summary='さくさくの全粒粉スコーン', keywords='焼き菓子,スコーン',
                      template='商品ページ.html', file_name='scone', groups=[
                          Group(run, '商品説明', template='商品.html', contents=[
                              Content(run, '内容', value='<p>バターの香りが広がる、'
                                                        'さくさくのスコーンです。</p>'),
                              Content(run, '価格', SHORT_TEXT, '1個 220円（税込）')])])
    breads = Category(run, '食パン', 'bread', pages=[bread_page], aux='../')
    sweets = Category(run, '焼き菓子', 'sweets', pages=[scone_page], aux='../',
                      memo='季節ごとに入れ替え')
    products = Category(run, '商品紹介', 'products', categories=[breads, sweets])

    run = Run(jst(2023, 11, 20, 14, 30, 41))
    news_page = Page(run, '年末年始の営業', title='年末年始の営業のお知らせ',
                     summary='12月30日から1月3日までお休みします',
                     keywords='お知らせ,営業日', template='標準ページ.html', file_name='news_2023',
                     groups=[Group(run, 'お知らせ本文', template='文章(通常).html', contents=[
                         Content(run, '内容', value='<p>誠に勝手ながら、<br>\r\n'
                                                   '12月30日（土）から1月3日（水）まで'
                                                   'お休みをいただきます。</p>')])])
    news = Category(run, 'お知らせ', 'news', pages=[news_page])
    access_page = Page(run.later(300), '店舗案内', title='店舗案内・アクセス',
                       summary='営業時間と地図', keywords='アクセス,地図,駐車場',
                       template='標準ページ.html', file_name='access', groups=[
                           Group(run, '営業時間', contents=[
                               Content(run, '内容', value='<dl><dt>平日</dt><dd>6:00〜18:00</dd>'
                                                         '<dt>定休日</dt><dd>月曜日</dd></dl>')])])
    weekend = Condition(run, '週末のみ表示', targets=[news.id, access_page.id], mode=1,
                        first='曜日', second='土,日')
    access_page.conditions = [weekend]
    access = Category(run, '店舗案内', 'access', pages=[access_page])
    reservation = Category(run.later(30), 'ネット予約', 'reserve', kind=LINK_MENU,
                           link_target=access_page.id, link_title='ご予約はこちら')
    retired = Category(run, '旧メニュー', 'old_menu', enabled=0)
    sidebar = Page(run.later(120), 'サイドバー', title='サイドバー', template='部品.html',
                   file_name='sidebar', groups=[
                       Group(run, '営業カレンダー', kind=GROUP_PLUGIN, contents=[
                           Content(run, '内容', value='<p>今月の定休日：毎週月曜日</p>')])])
    run.later(60)
    draft = Page(run, '閉店時間変更（下書き）', title='閉店時間変更のお知らせ',
                 template='標準ページ.html', file_name='draft_close')
    old_campaign = Group(run, '夏のキャンペーン', contents=[
        Content(run, '内容', value='<p>8月中はアイス食パンを販売します。</p>')])
    bakery = Site(first, 'こむぎ堂', bakery_texts,
                  three_classifications(first, menu=[home, products, news, access, reservation],
                                        plugin_pages=[sidebar],
                                        data=[Category(first, '原材料メモ', 'data_memo')]),
                  genres=[Genre(run, '季節限定'), Genre(run, '定番')],
                  box=Box(first, categories=[retired], pages=[draft], groups=[old_campaign]),
                  memo='本店サイト')

    # The bread classes got their own small site in the next year.
    run = Run(jst(2024, 2, 14, 10, 5, 0))
    lesson_texts = [
        'こむぎ堂 パン教室',
        '初心者向けのパン教室です。\r\n少人数で、こねる所から焼き上がりまで一緒に作ります。',
        'https://komugido.example.jp/kyoushitsu/',
        'パン教室,料理教室,さくら市',
        'こむぎ堂 パン教室',
        'image',
        'style.css',
        '/home/komugi/velmo/template/サンプル/サンプル１',
    ]
    course_page = Page(run, '初級コース', title='初級コース（全4回）',
                       summary='丸パンから始める初級コース', keywords='初級,丸パン',
                       template='標準ページ.html', file_name='beginner', groups=[
                           Group(run, 'コース内容', template='文章(通常).html', contents=[
                               Content(run, '内容', value='<ol><li>丸パン</li><li>ロールパン</li>'
                                                         '<li>食パン</li><li>あんパン</li></ol>'),
                               Content(run, '章のタイトル', SHORT_TEXT, '受講料'),
                               Content(run, '章の内容', value='<p>全4回 12,000円（材料費込み）</p>'),
                           ])])
    courses = Category(run, 'コース案内', 'course', pages=[course_page])
    lessons = Site(run, 'パン教室', lesson_texts,
                   three_classifications(run, menu=[courses]),
                   genres=[Genre(run, '初心者向け')], box=Box(run))
    lessons.updated = jst(2024, 3, 2, 21, 40, 12)
    return document(content_types, part_types, [bakery, lessons])


def old_versions_document():
    """A site and its hierarchies as the first versions wrote them: no box, no page lists."""
    run = Run(jst(2023, 1, 10, 20, 0, 0))
    content_types, part_types = built_in_catalogue(run)
    page = Page(run, '診療時間', title='診療時間のご案内', template='標準ページ.html',
                file_name='hours', groups=[Group(run, '本文', contents=[
                    Content(run, '内容', value='<p>午前 9:00〜12:00 / 午後 15:00〜18:00</p>')])])
    clinic = Site(run, 'ひだまり内科', [
        'ひだまり内科クリニック', '地域のかかりつけ医です。\r\n予約なしでも受診できます。',
        'https://hidamari.example.jp/', '内科,クリニック', 'ひだまり内科', 'image', 'style.css',
        '/home/hidamari/velmo/template/サンプル/サンプル１'],
        three_classifications(run, menu=[Category(run, '診療案内', 'guide', pages=[page])],
                              version=1),
        genres=[Genre(run, 'お知らせ')], version=1)
    return document(content_types, part_types, [clinic])


def eight_bit_document():
    """Names as 8-bit code page 932 text, as an early Japanese build stored them."""
    run = Run(jst(2023, 6, 1, 8, 30, 0))
    page = Page(run, Narrow('日本語のページ'), title=Narrow('ﾃｽﾄ ページ'),
                template='標準ページ.html', file_name=Narrow('nihongo'),
                groups=[Group(run, Narrow('本文'), contents=[
                    # Over 255 bytes, so that the 8-bit string takes its FF + 16-bit length form.
                    Content(run, Narrow('内容'), value=Narrow('あいうえお' * 40))])])
    site = Site(run, Narrow('ｻﾝﾌﾟﾙ'), [Narrow('日本語'), '', '', '', '', 'image', 'style.css', ''],
                three_classifications(run, menu=[
                    Category(run, Narrow('お知らせ'), Narrow('news'), pages=[page])]),
                box=Box(run))
    return document([], [], [site])


class NestedGroups:
    """Stands in a group list for a chain of content groups, each the only sub-group of the
    one before. Written level by level: Python's recursion stops near 1000 levels."""

    def __init__(self, run, depth):
        self.chain = [Group(run, '') for _ in range(depth)]

    def place(self, owner_id):
        for group in self.chain:
            group.parent = owner_id
            owner_id = group.id

    def write(self, w):
        last = len(self.chain) - 1
        for level, group in enumerate(self.chain):
            group.write_common(w)
            w.tag('QContentGroup::0001')
            w.i32(group.kind)
            w.i32(group.option)
            w.tag('QObjectList::0001')
            w.i32(0 if level == last else 1)
        for group in reversed(self.chain):
            w.objects(group.contents)
            w.objects(group.related)
            w.string(group.template)


def deep_nesting_document(depth=2000):
    """One page whose content groups nest depth levels deep; no real document comes close."""
    run = Run(jst(2024, 5, 1, 12, 0, 0))
    page = Page(run, 'p', file_name='p')
    page.groups = [NestedGroups(run, depth)]
    site = Site(run, 's', [''] * 8,
                three_classifications(run, menu=[Category(run, 'c', 'c', pages=[page])]),
                box=Box(run))
    return document([], [], [site], narrow=True)


def spot(writer, what, owner, nth=0):
    found = [offset for kind, offset, name in writer.spots if kind == what and name == owner]
    return found[nth]


def main():
    sample = sample_document()
    data = bytes(sample.buf)
    fixtures = {
        'sample.vlm': data,
        'old_versions.vlm': bytes(old_versions_document().buf),
        'eight_bit.vlm': bytes(eight_bit_document().buf),
        'deep_nesting.vlm': bytes(deep_nesting_document().buf),
    }

    # The broken files are the sample with one fault each, so a test finds the fault by
    # comparing with sample.vlm.
    # Cut halfway through the text of a content in the second site.
    text_start = data.index('<p>全4回'.encode('utf-16-le'))
    fixtures['truncated.vlm'] = data[:text_start + 7]

    # The tag of the price of the scone, "QContent::0001" becoming "QContemt::0001".
    tag = spot(sample, 'tag', '価格', 3)
    letter = tag + 4 + 2 * len('QConte')
    assert data[letter:letter + 2] == 'n'.encode('utf-16-le')
    fixtures['bad_tag.vlm'] = data[:letter] + 'm'.encode('utf-16-le') + data[letter + 2:]

    # The class code of the "焼き菓子" category.
    code = spot(sample, 'code', '焼き菓子')
    assert struct.unpack_from('<i', data, code)[0] == CATEGORY
    fixtures['bad_class_code.vlm'] = data[:code] + struct.pack('<i', 5) + data[code + 4:]

    # The count of the menu hierarchy's categories in the second site.
    count = spot(sample, 'count', 'メニュー', 2)
    assert struct.unpack_from('<i', data, count)[0] == 1
    fixtures['huge_count.vlm'] = data[:count] + struct.pack('<i', 0x7FFFFFFF) + data[count + 4:]

    # A first string that claims two billion UTF-16 units, in a file of 40 bytes.
    lying = b'\xff\xfe\xff' + b'\xff' + b'\xff\xff' + struct.pack('<I', 2_000_000_000)
    lying += 'QGlobal::0001QO'.encode('utf-16-le')
    assert len(lying) == 40
    fixtures['lying_length.vlm'] = lying

    for name, content in fixtures.items():
        (HERE / name).write_bytes(content)
        print(f'{name}: {len(content)} bytes')


if __name__ == '__main__':
    main()
