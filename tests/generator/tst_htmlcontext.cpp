// Where a place in generated HTML falls: text, or a quoted, single-quoted or unquoted
// attribute value, across comments, raw text elements and long runs of text.
#include <QTest>

#include "generator/htmlcontext.h"

using velmo::gen::HtmlContext;
using namespace Qt::StringLiterals;

class TestHtmlContext : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contextAtMarker_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("key");
        // The context is asked for at the "@".
        // clang-format off
        QTest::newRow("text")               << u"<p>a @</p>"_s                       << QChar(u'-');
        QTest::newRow("double quoted")      << u"<a href=\"x @"_s                    << QChar(u'"');
        QTest::newRow("single quoted")      << u"<a title='x\" @"_s                  << QChar(u'\'');
        QTest::newRow("unquoted")           << u"<a href=x@"_s                       << QChar(u'=');
        QTest::newRow("after a value")      << u"<a href=\"x\">@"_s                  << QChar(u'-');
        QTest::newRow("quote in text")      << u"<p>\"a\" 'b' @"_s                   << QChar(u'-');
        QTest::newRow("tag in comment")     << u"<!-- <a href=\" --> @"_s            << QChar(u'-');
        QTest::newRow("tag in raw text")    << u"<script>x=\"<a href='\"</script>@"_s << QChar(u'-');
        QTest::newRow("raw text not ended") << u"<style></styl><a href=\"@"_s        << QChar(u'-');
        QTest::newRow("long tag name")      << u"<textareaxxxxxxxxxxxx>@<a href=\"@"_s << QChar(u'"');
        QTest::newRow("bogus comment")      << u"<?x <a href=\" ?> @"_s               << QChar(u'-');
        // clang-format on
    }

    void contextAtMarker()
    {
        QFETCH(QString, text);
        QFETCH(QChar, key);
        const qsizetype at = text.lastIndexOf(u'@');
        QCOMPARE(HtmlContext::at(text, at).key(), key);
        // Read in pieces of every size, as templates write their output, it is the same.
        for (qsizetype step = 1; step <= 7; ++step) {
            HtmlContext pieces;
            for (qsizetype from = 0; from < at; from += step)
                pieces.scan(text, from, qMin(at, from + step));
            QCOMPARE(pieces.key(), key);
        }
    }
};

QTEST_GUILESS_MAIN(TestHtmlContext)
#include "tst_htmlcontext.moc"
