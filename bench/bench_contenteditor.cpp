// Benchmark of the content editor on a 100 KB page body: one character typed in the middle,
// with the colouring, the store into the content and the events it causes.
#include <QApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/documentcontroller.h"
#include "app/filedialogwrapper.h"
#include "app/messageboxwrapper.h"
#include "editors/contenteditform.h"
#include "editors/contenttextedit.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/messagereporter.h"
#include "model/page.h"
#include "model/site.h"
#include "widgetbench.h"

using namespace Qt::StringLiterals;

namespace {

// Article markup as people write it by hand: headings, paragraphs with links, emphasis and
// entities, lists, pictures through _image, a comment now and then, "\r\n" line breaks.
QString realisticBody(qsizetype bytes)
{
    QString body;
    for (int section = 1; body.toUtf8().size() < bytes; ++section) {
        body += u"<h2 id=\"s%1\">第%1章 季節のお知らせ</h2>\r\n"_s.arg(section);
        body +=
            u"<!-- 第%1章: 写真は差し替え予定\r\n     担当に確認すること -->\r\n"_s.arg(section);
        for (int p = 0; p < 4; ++p) {
            body += u"<p>今月の<em>おすすめ</em>は<a href=\"_id_link(1700000000,%1)\">新商品"
                    u"</a>です。&nbsp;価格は&yen;1,200&nbsp;から。Opening hours &amp; "
                    u"access are on the <a href=\"https://example.org/access\" "
                    u"target=\"_blank\">access page</a>.<br />\r\n"
                    u"ご来店を心よりお待ちしております。</p>\r\n"_s.arg(section * 10 + p);
        }
        body += u"<ul>\r\n<li>営業時間 10:00〜19:00</li>\r\n<li>定休日 水曜</li>\r\n</ul>\r\n"_s;
        body += u"<img src=\"_image(/photos/shop%1.jpg,320,240)\"  width=\"320\" "
                u"height=\"240\" alt =\"\" >\r\n"_s.arg(section);
    }
    return body;
}

void BM_KeystrokeIn100KB(benchmark::State &state)
{
    QTemporaryDir root;
    velmo::Document document(root.path());
    velmo::StderrReporter reporter;
    document.setReporter(&reporter);
    // Under a page of a site: only a content of the document is stored into.
    velmo::Site *site = document.createSite();
    auto *category = new velmo::Category;
    site->classifications.at(0)->categories.add(category, site->classifications.at(0));
    auto *page = new velmo::Page;
    category->pages.add(page, category);
    auto *group = new velmo::ContentGroup;
    page->contentGroups.add(group, page);
    auto *content = new velmo::Content;
    content->value = realisticBody(100 * 1024);
    group->addContent(content);
    QSettings settings(root.filePath(u"Velmo.ini"_s), QSettings::IniFormat);
    DocumentController controller(document);
    MessageBoxWrapper messages;
    FileDialogWrapper files;
    velmo::ui::ContentEditForm form(controller, messages, files, settings);
    form.resize(510, 340);
    form.show();
    form.setObject(content);
    velmo::ui::ContentTextEdit *edit = form.textEdit();
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(edit->document()->characterCount() / 2);
    edit->setTextCursor(cursor);
    edit->setFocus();
    QCoreApplication::processEvents();
    const qsizetype before = content->value.size();

    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, u"a"_s);
        QCoreApplication::sendEvent(edit, &press);
        QCoreApplication::sendEvent(edit, &release);
        QCoreApplication::processEvents();
    }
    // Each keystroke must have reached the content, or the figure measures nothing.
    if (content->value.size() != before + qsizetype(state.iterations()))
        state.SkipWithError("the keystrokes did not reach the content");
    state.counters["kbytes"] = double(content->value.toUtf8().size()) / 1024.0;
}
// Median of repeated runs: the figure is about what one keystroke costs, not a long average.
BENCHMARK(BM_KeystrokeIn100KB)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
