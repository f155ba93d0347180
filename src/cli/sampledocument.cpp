// SampleDocument: builds the café site of the sample document object by object, the way a
// user would through the navigation tree and the forms.
#include "cli/sampledocument.h"

#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo {

namespace {

// The tree's new-content command clears bit 0 of a new group's option and sets bit 4.
constexpr qint32 kNewGroupOption = 0x10;

const QString kIndexPage = u"index.html"_s;
const QString kStandardPage = u"page.html"_s;
const QString kWidePage = u"wide.html"_s;
const QString kSection = u"標準セクション.template"_s;
const QString kChapter = u"章立てセクション.template"_s;
const QString kNote = u"囲み記事.template"_s;

QString idLink(const Object *target)
{
    return u"_id_link(%1,%2)"_s.arg(target->id.time).arg(target->id.seq);
}

// An <img> through the generator's picture placement; width and height 0 keep the picture's
// own size, which the attributes then give for the page layout.
QString image(const QString &picture, int width, int height, int shownWidth, int shownHeight,
              const QString &alt)
{
    return u"<img src=\"_image(sample/%1,%2,%3)\" width=\"%4\" height=\"%5\" alt=\"%6\">"_s.arg(
        picture, QString::number(width), QString::number(height), QString::number(shownWidth),
        QString::number(shownHeight), alt);
}

QString figure(const QString &classes, const QString &img, const QString &caption)
{
    return u"<figure class=\"%1\">%2<figcaption>%3</figcaption></figure>"_s.arg(classes, img,
                                                                                caption);
}

class Builder
{
public:
    explicit Builder(Site &site) : m_menu(*site.classifications.at(0)) {}

    Category *category(Object *parent, const QString &name, const QString &folder)
    {
        auto *category = new Category;
        category->name = name;
        category->folderName = folder;
        if (auto *classification = object_cast<Classification>(parent))
            classification->categories.add(category, classification);
        else
            static_cast<Category *>(parent)->categories.add(category, parent);
        return category;
    }

    Category *topCategory(const QString &name, const QString &folder)
    {
        return category(&m_menu, name, folder);
    }

    static Page *page(Category *category, const QString &name, const QString &title,
                      const QString &fileName, const QString &templateName, const QString &summary,
                      const QString &keywords)
    {
        auto *page = new Page;
        page->name = name;
        page->title = title;
        page->fileName = fileName;
        page->templateName = templateName;
        page->summary = summary;
        page->keywords = keywords;
        category->pages.add(page, category);
        return page;
    }

    // A group as the tree makes it: named, with its one "内容" content holding text.
    static ContentGroup *group(Object *parent, const QString &templateName, const QString &name,
                               const QString &text)
    {
        auto *group = new ContentGroup;
        group->name = name;
        group->templateName = templateName;
        group->groupOption = kNewGroupOption;
        group->contents.at(0)->value = text;
        if (auto *page = object_cast<Page>(parent)) {
            page->contentGroups.add(group, page);
        } else {
            auto *outer = static_cast<ContentGroup *>(parent);
            group->kind = outer->kind;
            outer->subGroups.add(group, outer);
        }
        return group;
    }

    // A chapter group carries the two further parts of the built-in "文章(通常)" type.
    static ContentGroup *chapter(Page *page, const QString &name, const QString &title,
                                 const QString &lead, const QString &body)
    {
        ContentGroup *chapter = group(page, kChapter, name, lead);
        addPart(chapter, u"章のタイトル"_s, title);
        addPart(chapter, u"章の内容"_s, body);
        return chapter;
    }

private:
    static void addPart(ContentGroup *group, const QString &name, const QString &value)
    {
        auto *content = new Content;
        content->name = name;
        content->kind = Content::kKindLongText;
        content->value = value;
        group->addContent(content);
    }

    Classification &m_menu;
};

} // namespace

Site *SampleDocument::addSite(Document &global)
{
    Site *site = global.createSite();
    site->name = u"サンプルサイト"_s;
    site->homeTitle = u"こもれび珈琲店"_s;
    site->summary = u"森のそばの小さな珈琲店です。自家焙煎のコーヒーと、毎朝焼き上げるお菓子を"
                    u"ご用意してお待ちしています。"_s;
    site->siteUrl = u"https://example.com/"_s;
    site->keywords = u"こもれび珈琲店,コーヒー,自家焙煎,焼き菓子,カフェ"_s;
    site->author = u"こもれび珈琲店"_s;
    site->imageFolder = u"image"_s;
    site->mainCss = u"light.css"_s;
    // The level names stay the defaults (レベル１, レベル２ …): the sample template's menus are
    // written with them, and every new site starts with them too.

    Builder build(*site);

    // The structure first: texts link to pages and groups made further down.
    Category *home = build.topCategory(u"ホーム"_s, u"home"_s);
    Page *welcome = Builder::page(
        home, u"ようこそ"_s, u"木漏れ日の下で、ひと休み"_s, u"welcome"_s, kIndexPage,
        u"こもれび珈琲店のホームページです。お店のこと、メニュー、営業時間をご案内します。"_s,
        QString());
    Page *news = Builder::page(home, u"お知らせ"_s, u"お知らせ"_s, u"news"_s, kStandardPage,
                               u"営業日の変更や新しいメニューなど、お店からのお知らせです。"_s,
                               u"お知らせ,営業日"_s);

    Category *menu = build.topCategory(u"メニュー"_s, u"menu"_s);
    Page *menuList =
        Builder::page(menu, u"メニュー一覧"_s, u"メニュー一覧"_s, u"index"_s, kStandardPage,
                      u"自家焙煎のコーヒーと、毎朝焼き上げるお菓子をご用意しています。"_s,
                      u"メニュー,ドリンク,価格"_s);
    Category *coffee = build.category(menu, u"コーヒー"_s, u"coffee"_s);
    Page *coffeePage = Builder::page(
        coffee, u"コーヒー"_s, u"自家焙煎のコーヒー"_s, u"index"_s, kStandardPage,
        u"生豆の選び方から焙煎、淹れ方まで、一杯のコーヒーができるまでをご紹介します。"_s,
        u"ハンドドリップ,コーヒー豆,焙煎"_s);
    Category *sweets = build.category(menu, u"焼き菓子"_s, u"sweets"_s);
    Page *sweetsPage =
        Builder::page(sweets, u"焼き菓子"_s, u"毎朝焼き上げるお菓子"_s, u"index"_s, kStandardPage,
                      u"国産の小麦とバターで、毎朝少しずつ焼き上げています。"_s,
                      u"クッキー,スコーン,ブラウニー"_s);

    Category *about = build.topCategory(u"お店について"_s, u"about"_s);
    Page *story =
        Builder::page(about, u"お店のこと"_s, u"お店について"_s, u"index"_s, kWidePage,
                      u"こもれび珈琲店ができるまでと、お店で大切にしていることをお話しします。"_s,
                      u"店主,山小屋"_s);
    Page *shop = Builder::page(about, u"店舗情報"_s, u"店舗情報・アクセス"_s, u"shop"_s,
                               kStandardPage, u"営業時間と定休日、お店までの道順をご案内します。"_s,
                               u"営業時間,定休日,アクセス,駐車場"_s);

    Category *guide = build.topCategory(u"このサイトについて"_s, u"guide"_s);
    Page *guidePage = Builder::page(
        guide, u"サンプルの使い方"_s, u"このサンプルサイトについて"_s, u"index"_s, kWidePage,
        u"このサイトは Velmo に付属するサンプルです。テンプレートと画像の使い方をご紹介します。"_s,
        u"Velmo,テンプレート,サンプル"_s);

    // A link menu entry: it holds no page and leads to a group of the shop page.
    Category *access = build.topCategory(u"アクセス"_s, u"access"_s);
    access->setLinkMenu(true);

    // 店舗情報 comes first: the home page links to its access group.
    Builder::group(shop, kSection, u"営業時間"_s,
                   u"<dl class=\"info-list\">"
                   u"<dt>営業時間</dt><dd>9:00〜18:00（ラストオーダー 17:30）</dd>"
                   u"<dt>定休日</dt><dd>火曜日、第３水曜日</dd>"
                   u"<dt>席数</dt><dd>テーブル16席、カウンター６席、テラス８席</dd>"
                   u"<dt>お支払い</dt><dd>現金、各種クレジットカード、電子マネー</dd>"
                   u"</dl>"
                   u"<p>テラス席は、ペットをお連れの方もご利用いただけます。</p>"_s);
    ContentGroup *accessGroup = Builder::group(
        shop, kSection, u"アクセス"_s,
        u"<dl class=\"info-list\">"
        u"<dt>住所</dt><dd>〒000-0000　森野県こもれび市木立町1-2-3</dd>"
        u"<dt>電話</dt><dd>000-000-0000</dd>"
        u"</dl>"
        u"<h4>電車でお越しの方</h4>"
        u"<p>こもれび駅の北口を出て、雑木林の小道を歩いて10分ほどです。"
        u"小道の入り口に、木の看板が立っています。</p>"
        u"<h4>お車でお越しの方</h4>"
        u"<p>お店の前に５台分の駐車場があります。満車のときは、湖のほとりの公営駐車場を"
        u"ご利用ください。</p>"_s);
    access->linkTarget = accessGroup->id;

    // ようこそ (the home page)

    Builder::chapter(
        welcome, u"ようこそ"_s, u"森のそばの、小さな珈琲店"_s,
        u"<p>雑木林の小道を抜けた先に、こもれび珈琲店はあります。"
        u"窓の外の緑をながめながら、ゆっくりとした時間をお過ごしください。</p>"_s,
        figure(u"photo photo--wide"_s,
               image(u"landscape.jpg"_s, 0, 0, 1600, 1000, u"朝の湖と山並みのイラスト"_s),
               u"お店から歩いて五分の湖。朝の散歩の帰りに立ち寄ってくださる方も大勢います。"_s) +
            u"<p>豆の焙煎からお菓子づくりまで、ひとつひとつお店の中で手づくりしています。"
            u"はじめての方も、どうぞお気軽にお立ち寄りください。</p>"
            u"<ul class=\"button-row\">"
            u"<li><a class=\"button\" href=\"%1\">メニューを見る</a></li>"
            u"<li><a class=\"button button--ghost\" href=\"%2\">お店までの道順</a></li>"
            u"</ul>"_s.arg(idLink(menuList), idLink(accessGroup)));
    Builder::group(
        welcome, kSection, u"今月のおすすめ"_s,
        u"<p>季節ごとに入れ替わる、今月のおすすめをご紹介します。</p>"
        u"<div class=\"photo-grid\">"_s +
            figure(u"photo"_s,
                   image(u"coffee.png"_s, 480, 480, 480, 480, u"ハートの模様を描いたカフェラテ"_s),
                   u"森のカフェラテ　580円"_s) +
            figure(
                u"photo"_s,
                image(u"cookies.jpg"_s, 480, 320, 480, 320, u"お皿に並んだチョコチップクッキー"_s),
                u"チョコチップクッキー（３枚）　380円"_s) +
            u"</div>"
            u"<p>ほかのメニューは<a href=\"%1\">メニュー一覧</a>をご覧ください。</p>"_s.arg(
                idLink(menuList)));
    Builder::group(
        welcome, kNote, u"年末年始のお休み"_s,
        u"<p>12月30日から1月3日まで、お休みをいただきます。"
        u"くわしくは<a href=\"%1\">お知らせ</a>のページをご覧ください。</p>"_s.arg(idLink(news)));

    // お知らせ
    Builder::group(
        news, kSection, u"最近のお知らせ"_s,
        u"<ul class=\"news-list\">"
        u"<li><time datetime=\"12-01\">12月1日</time>"
        u"<span>年末年始の営業についてお知らせします。12月30日から1月3日まではお休みです。</span>"
        u"</li>"
        u"<li><time datetime=\"11-15\">11月15日</time>"
        u"<span>冬の限定メニュー「はちみつジンジャーラテ」を始めました。</span></li>"
        u"<li><time datetime=\"10-20\">10月20日</time>"
        u"<span>焼き菓子に「くるみのブラウニー」が仲間入りしました。</span></li>"
        u"<li><time datetime=\"09-01\">9月1日</time>"
        u"<span>ホームページを新しくしました。</span></li>"
        u"</ul>"_s);
    Builder::group(news, kNote, u"年末年始の営業について"_s,
                   u"<p>12月29日は17時で閉店いたします。新年は1月4日から、いつもどおり"
                   u"9時に開店します。</p>"
                   u"<p>お休みのあいだも、豆のご注文はお電話で承ります。</p>"_s);

    // メニュー
    Builder::group(menuList, kSection, u"ドリンク"_s,
                   u"<div class=\"table-wrap\"><table>"
                   u"<thead><tr><th scope=\"col\">メニュー</th><th scope=\"col\">ひとこと</th>"
                   u"<th scope=\"col\">価格</th></tr></thead><tbody>"
                   u"<tr><td>こもれびブレンド</td><td>中深煎り。ほろ苦さと、やさしい甘み</td>"
                   u"<td class=\"price\">480円</td></tr>"
                   u"<tr><td>季節のシングルオリジン</td><td>浅煎り。果実のような華やかな香り</td>"
                   u"<td class=\"price\">550円</td></tr>"
                   u"<tr><td>カフェラテ</td><td>ミルクたっぷりの、まろやかな一杯</td>"
                   u"<td class=\"price\">580円</td></tr>"
                   u"<tr><td>ほうじ茶ラテ</td><td>コーヒーが苦手な方にも</td>"
                   u"<td class=\"price\">520円</td></tr>"
                   u"</tbody></table></div>"
                   u"<p>豆のくわしいお話は「<a href=\"%1\">自家焙煎のコーヒー</a>」で"
                   u"ご紹介しています。</p>"_s.arg(idLink(coffeePage)));
    Builder::group(
        menuList, kSection, u"焼き菓子"_s,
        u"<div class=\"table-wrap\"><table>"
        u"<thead><tr><th scope=\"col\">メニュー</th><th scope=\"col\">ひとこと</th>"
        u"<th scope=\"col\">価格</th></tr></thead><tbody>"
        u"<tr><td>チョコチップクッキー（３枚）</td><td>いちばん人気の定番</td>"
        u"<td class=\"price\">380円</td></tr>"
        u"<tr><td>くるみのブラウニー</td><td>しっとり濃厚</td>"
        u"<td class=\"price\">420円</td></tr>"
        u"<tr><td>季節のフルーツスコーン</td><td>焼きたてを温めてお出しします</td>"
        u"<td class=\"price\">360円</td></tr>"
        u"</tbody></table></div>"
        u"<p>その日の焼き菓子は「<a href=\"%1\">毎朝焼き上げるお菓子</a>」をご覧ください。"
        u"</p>"_s.arg(idLink(sweetsPage)));
    Builder::group(menuList, kNote, u"お持ち帰り"_s,
                   u"<p>すべてのメニューをお持ち帰りいただけます。"
                   u"コーヒー豆は100グラムからお分けしています。</p>"_s);

    // コーヒー: a picture at its own size, and a group nested in a group.
    Builder::chapter(
        coffeePage, u"豆へのこだわり"_s, u"一杯ずつ、ていねいに"_s,
        u"<p>焙煎は週に二回。焼きたての豆を、その日の天気に合わせて挽き分けています。</p>"_s,
        figure(u"photo"_s,
               image(u"coffee.png"_s, 800, 800, 800, 800, u"上から見たカフェラテのカップ"_s),
               u"ラテアートは、スタッフみんなで練習中です。"_s) +
            u"<h4>いま扱っている豆</h4>"
            u"<ul>"
            u"<li>エチオピア　イルガチェフェ（浅煎り）</li>"
            u"<li>グアテマラ　アンティグア（中煎り）</li>"
            u"<li>ブラジル　セラード（中深煎り）</li>"
            u"<li>インドネシア　マンデリン（深煎り）</li>"
            u"</ul>"
            u"<p>お好みの挽き方をお申し付けください。</p>"_s);
    ContentGroup *brewing =
        Builder::group(coffeePage, kSection, u"おいしい淹れ方"_s,
                       u"<p>ご家庭でも、少しの工夫でぐっとおいしくなります。</p>"
                       u"<ol>"
                       u"<li>豆は淹れる直前に、中細挽きにします。</li>"
                       u"<li>お湯は沸かしてから少し冷まし、90度くらいにします。</li>"
                       u"<li>粉全体を湿らせて、30秒ほど蒸らします。</li>"
                       u"<li>「の」の字を描くように、三回に分けてお湯を注ぎます。</li>"
                       u"</ol>"_s);
    Builder::group(brewing, kSection, u"道具について"_s,
                   u"<p>特別な道具がなくても大丈夫です。ドリッパーとペーパーフィルター、"
                   u"注ぎ口の細いケトルがあれば、お店の味に近づけます。</p>"_s);

    // 焼き菓子
    Builder::group(
        sweetsPage, kSection, u"今日の焼き菓子"_s,
        figure(u"photo"_s,
               image(u"cookies.jpg"_s, 600, 400, 600, 400, u"お皿に並んだチョコチップクッキー"_s),
               u"いちばん人気のチョコチップクッキー。"_s) +
            u"<ul class=\"check-list\">"
            u"<li>チョコチップクッキー</li>"
            u"<li>くるみのブラウニー</li>"
            u"<li>季節のフルーツスコーン</li>"
            u"<li>レモンのパウンドケーキ</li>"
            u"</ul>"
            u"<p>焼き上がりは朝10時ごろです。売り切れの際はご容赦ください。</p>"_s);
    Builder::group(sweetsPage, kNote, u"アレルギーについて"_s,
                   u"<p>焼き菓子には小麦、卵、乳を使っています。ナッツを使うお菓子もあります"
                   u"ので、ご心配な方はスタッフにお声がけください。</p>"_s);

    // お店について
    Builder::chapter(
        story, u"はじまり"_s, u"森のそばで、お店を開いたわけ"_s,
        u"<p>古い山小屋を少しずつ手直しして、お店を開きました。</p>"_s,
        u"<div class=\"clearfix\">"_s +
            figure(u"photo photo--right"_s,
                   image(u"forest.jpg"_s, 400, 600, 400, 600, u"木漏れ日の差す森のイラスト"_s),
                   u"お店の裏の雑木林。"_s) +
            u"<p>街の喫茶店で働いていたころ、休みの日にはいつも、この森を歩いていました。"
            u"木々のあいだから差す光の中で飲むコーヒーが、なによりのごちそうでした。</p>"
            u"<p>その心地よさを、訪れる方にも味わってほしい。そう思って、"
            u"森のそばの小屋を借りることにしました。床を張り替え、窓を大きくし、"
            u"焙煎機を置いて、ようやく小さなお店ができあがりました。</p>"
            u"<h4>大切にしていること</h4>"
            u"<ul class=\"check-list\">"
            u"<li>豆も生地も、毎日お店で仕込むこと</li>"
            u"<li>季節の移ろいを、メニューに映すこと</li>"
            u"<li>ひとりでも気軽に過ごせる席をつくること</li>"
            u"</ul>"
            u"</div>"_s);
    Builder::group(story, kSection, u"店主より"_s,
                   u"<blockquote><p>天気のいい日は、ぜひテラス席へ。鳥の声を聞きながらの"
                   u"一杯は、きっと忘れられない味になります。</p></blockquote>"
                   u"<p>営業時間と道順は「<a href=\"%1\">店舗情報・アクセス</a>」にまとめて"
                   u"あります。</p>"_s.arg(idLink(shop)));

    // このサイトについて: the two functions, and pictures scaled down.
    Builder::chapter(
        guidePage, u"サンプルについて"_s, u"Velmo のサンプルサイトです"_s,
        u"<p>このサイトは、新しいサイトを作るときのお手本として Velmo に付属しているサンプル"
        u"です。お店の名前や住所などは、すべて架空のものです。</p>"_s,
        u"<h4>このサイトのつくり</h4>"
        u"<ul>"
        u"<li>メニューには「ホーム」「メニュー」「お店について」「このサイトについて」の四つの"
        u"カテゴリと、「アクセス」へのリンクメニューがあります。</li>"
        u"<li>「メニュー」の下に「コーヒー」と「焼き菓子」の二つのカテゴリがあり、"
        u"２階層のメニューになっています。</li>"
        u"<li>トップページ、標準、幅広の三種類のページテンプレートを使い分けています。</li>"
        u"</ul>"
        u"<p>テンプレートのしくみは、テンプレートフォルダの「ページテンプレート」にある "
        u"index.html の先頭に書いてあります。</p>"_s);
    // The calls are shown with an entity for "_" so that the generator leaves them as text.
    Builder::group(
        guidePage, kSection, u"画像とリンク"_s,
        u"<p>本文に <code>&#95;image(sample/landscape.jpg,480,300)</code> のように書くと、"
        u"user_image フォルダの画像がサイトの画像フォルダに写され、そこへの相対パスに"
        u"置き換わります。幅と高さに 0 を書くと、元の大きさのまま写します。</p>"
        u"<div class=\"photo-grid\">"_s +
            figure(u"photo"_s,
                   image(u"landscape.jpg"_s, 480, 300, 480, 300, u"湖の風景のイラスト"_s),
                   u"480×300 に縮めた横長の絵"_s) +
            figure(u"photo"_s, image(u"cookies.jpg"_s, 480, 320, 480, 320, u"クッキーのイラスト"_s),
                   u"480×320 に縮めた絵"_s) +
            u"</div>"
            u"<p>ほかのページへのリンクは <code>&#95;id_link(…)</code> で書きます。"
            u"たとえば<a href=\"%1\">トップページ</a>へのリンクは、ページを置く階層が"
            u"変わっても、いつも正しい相対パスになります。</p>"_s.arg(idLink(welcome)));
    Builder::group(guidePage, kNote, u"ご自由にお使いください"_s,
                   u"<p>このサンプルの文章、画像、テンプレートは、ご自分のサイトづくりに"
                   u"自由に書き換えてお使いください。</p>"_s);
    return site;
}

bool SampleDocument::write(Document &global, const QString &path)
{
    global.addBuiltInCatalogue();
    addSite(global);
    return DocumentFile::save(global, path);
}

} // namespace velmo
