// A synthetic site for the generator benchmarks.
#include "syntheticsite.h"

#include <QList>

#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"

namespace {

void write(const QString &path, const QString &text)
{
    velmo::createFolderPath(path);
    velmo::writeTextFileIfChanged(text, path);
}

const char16_t kPage[] =
    u"<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">\n"
    u"<!--__スタイルシート指定メタ開始__--><link rel=\"stylesheet\" href=\"css/x.css\">"
    u"<!--__スタイルシート指定メタ終了__-->\n"
    u"<title><!--__ページタイトル__-->(title) | <!--__サイト名__-->(site)</title>\n"
    u"<meta name=\"keywords\" content=\"<!--__ページキーワード__-->(k)\">\n"
    u"<meta name=\"description\" content=\"<!--__ページ概要__-->(d)\"></head>\n"
    u"<body><header><h1><!--__サイト名__-->(site)</h1><p><!--__サイト概要__-->(s)</p></header>\n"
    u"<nav><ul><!--__メニュー開始__-->menu<!--__メニュー終了__--></ul></nav>\n"
    u"<p class=\"path\"><!--__ページパス__-->(path)</p>\n"
    u"<main><!--__本文開始__-->body<!--__本文終了__--></main>\n"
    u"<NOT_OUTPUT>テンプレート作者へのメモ</NOT_OUTPUT>\n"
    u"<footer>© <!--__製作年__-->(2024) <!--__サイト作者__-->(a)</footer></body></html>\n";

const char16_t kMenu[] =
    u"name(メニュー)\n"
    u"for(int i=0; i<レベル１.メニュー数; i++){\n"
    u"put(<li><a href=\")replace(レベル１[i].相対パス)put(\">)replace(レベル１[i].タイトル)"
    u"put(</a>)\n"
    u"if(レベル１[i].選択){\n"
    u"put(<ul>)\n"
    u"for(int j=0; j<レベル２.メニュー数; j++){\n"
    u"put(<li><a href=\")replace(レベル２[j].相対パス)put(\">)replace(レベル２[j].タイトル)"
    u"put(</a></li>)\n"
    u"}\n"
    u"put(</ul>)\n"
    u"}\n"
    u"put(</li>)\n"
    u"}\n";

const char16_t kContent[] = u"name(本文)\n"
                            u"put(<section><)replace(hx)put(>)replace(コンテンツ.章のタイトル)\n"
                            u"put(</)replace(hx)put(>)\n"
                            u"replace(コンテンツ.内容)\n"
                            u"put(</section>);\n";

QString bodyText(int n)
{
    // About 700 characters of Japanese text with some markup.
    QString text = QStringLiteral("<p>");
    const QString sentence =
        QStringLiteral("こむぎ堂では毎朝、国産小麦と天然酵母でパンを焼いています。番号%1。");
    while (text.size() < 690)
        text += sentence.arg(n);
    return text + QStringLiteral("</p>");
}

} // namespace

SyntheticSite makeSyntheticSite(velmo::Document &global, const QString &root, int topCategories,
                                int subCategories, int pages)
{
    using namespace velmo;
    const QString templates = root + QStringLiteral("/template/bench");
    write(templates + QStringLiteral("/ページテンプレート/page.html"), QString::fromUtf16(kPage));
    write(templates + QStringLiteral("/メニューテンプレート/menu.template"),
          QString::fromUtf16(kMenu));
    write(templates + QStringLiteral("/コンテンツテンプレート/text.template"),
          QString::fromUtf16(kContent));
    write(templates + QStringLiteral("/css/main.css"), QStringLiteral("body{margin:0}"));

    Site *site = global.createSite();
    site->name = QStringLiteral("bench");
    site->homeTitle = QStringLiteral("ベンチマークのサイト");
    site->summary = QStringLiteral("合成されたサイト");
    site->author = QStringLiteral("Velmo");
    site->keywords = QStringLiteral("パン,ケーキ");
    site->templatePath = templates;
    site->mainCss = QStringLiteral("main.css");
    site->imageFolder = QStringLiteral("image");

    QList<Category *> leaves;
    Classification *menu = site->classifications.at(0);
    for (int t = 0; t < topCategories; ++t) {
        auto *top = new Category;
        top->name = QStringLiteral("カテゴリ%1").arg(t);
        top->folderName = QStringLiteral("c%1").arg(t);
        menu->categories.add(top, menu);
        leaves << top;
        for (int s = 0; s < subCategories; ++s) {
            auto *sub = new Category;
            sub->name = QStringLiteral("サブ%1-%2").arg(t).arg(s);
            sub->folderName = QStringLiteral("s%1").arg(s);
            top->categories.add(sub, top);
            leaves << sub;
        }
    }
    SyntheticSite result{site, nullptr};
    for (int p = 0; p < pages; ++p) {
        Category *category = leaves[p % leaves.size()];
        auto *page = new Page;
        page->name = QStringLiteral("ページ%1").arg(p);
        page->title = QStringLiteral("ページ%1のタイトル").arg(p);
        page->summary = QStringLiteral("ページ%1の概要").arg(p);
        page->fileName = QStringLiteral("p%1").arg(p);
        page->templateName = QStringLiteral("page.html");
        category->pages.add(page, category);
        for (int g = 0; g < 3; ++g) {
            auto *group = new ContentGroup;
            group->name = QStringLiteral("章%1").arg(g);
            group->templateName = QStringLiteral("text.template");
            group->contents.at(0)->value = bodyText(p * 3 + g);
            auto *title = new Content;
            title->name = QStringLiteral("章のタイトル");
            title->value = QStringLiteral("第%1章").arg(g + 1);
            group->addContent(title);
            page->contentGroups.add(group, page);
        }
        if (p == pages / 2)
            result.middlePage = page;
    }
    global.setCurrentSite(site);
    return result;
}
