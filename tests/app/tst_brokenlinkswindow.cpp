// "リンク切れ" and its "外部リンクも確認": the external links of an output are asked for away
// from the window, which then lists what their servers said, against a server on 127.0.0.1.
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/brokenlinkswindow.h"
#include "linkserver.h"

using namespace Qt::StringLiterals;
using velmo::gen::LinkCheck;

class TestBrokenLinksWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void externalLinksAreAskedForOnRequest()
    {
        LinkServer server(QStringLiteral(VELMO_LINK_SERVER));
        if (!server.error().isEmpty())
            QSKIP(qPrintable(u"no HTTP server for the test: "_s + server.error()));
        QTemporaryDir cache;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        LinkCheck::Result result;
        result.pagesChecked = 1;
        result.unchecked << LinkCheck::Broken{u"index.html"_s,
                                              {server.base() + u"/missing"_s, 3, 5, u"古い"_s},
                                              u"外部リンク"_s}
                         << LinkCheck::Broken{u"index.html"_s,
                                              {server.base() + u"/ok"_s, 4, 5, u"ok"_s},
                                              u"外部リンク"_s};
        BrokenLinksWindow window;
        window.showResult(result, cache.path());
        window.show();
        QCOMPARE(window.list()->topLevelItemCount(), 0);
        QVERIFY(window.externalButton()->isEnabled());

        QTest::mouseClick(window.externalButton(), Qt::LeftButton);
        QVERIFY(!window.externalButton()->isEnabled());
        QTRY_COMPARE(window.list()->topLevelItemCount(), 1);
        const QTreeWidgetItem *item = window.list()->topLevelItem(0);
        QCOMPARE(item->text(1), u"3:5"_s);
        QCOMPARE(item->text(2), server.base() + u"/missing"_s);
        QCOMPARE(item->text(4), u"古い"_s);
        // Nothing is left to ask.
        QVERIFY(!window.externalButton()->isEnabled());
    }
};

QTEST_MAIN(TestBrokenLinksWindow)
#include "tst_brokenlinkswindow.moc"
