// The external link check against a real HTTP server on 127.0.0.1: each verdict, HEAD refused,
// a server that never answers, no host asked more than twice at once, and answers kept.
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "generator/externallinkcheck.h"
#include "generator/linkcheck.h"
#include "linkserver.h"
#include "model/fileutil.h"

using namespace Qt::StringLiterals;
using velmo::gen::ExternalLinkCheck;
using velmo::gen::LinkCheck;

class TestExternalLinkCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksEveryAddressOnce();
};

void TestExternalLinkCheck::checksEveryAddressOnce()
{
    LinkServer server(QStringLiteral(VELMO_LINK_SERVER));
    if (!server.error().isEmpty())
        QSKIP(qPrintable(u"no HTTP server for the test: "_s + server.error()));
    const QString at = server.base();
    QString page = u"<a href=\"%1/ok\">ok</a><a href=\"%1/ok#part\">ok again</a>"
                   u"<a href=\"%1/moved\">moved</a><a href=\"%1/missing\">missing</a>"
                   u"<a href=\"%1/error\">error</a><a href=\"%1/nohead\">nohead</a>"
                   u"<a href=\"%2\">silent</a><a href=\"mailto:a@example.com\">mail</a>"_s.arg(
                       at, server.silent());
    // Enough slow answers from one host that asking them all at once would show.
    for (int i = 0; i < 8; ++i)
        page += u"<img src=\"%1/slow/%2?delay=150\" alt=\"\">"_s.arg(at).arg(i);
    QTemporaryDir dir;
    QVERIFY(velmo::writeTextFile(page, dir.filePath(u"index.html"_s)));

    ExternalLinkCheck::Settings settings;
    settings.timeoutMs = 1500;
    settings.cacheFile = dir.filePath(u"cache/external-links.tsv"_s);
    LinkCheck::Result result = LinkCheck::checkFolder(dir.path());
    ExternalLinkCheck(settings).apply(result);

    QStringList broken;
    for (const LinkCheck::Broken &b : std::as_const(result.broken))
        broken << b.link.text + u' ' + b.reason.left(b.reason.indexOf(u'（'));
    QCOMPARE(broken, (QStringList{u"missing 外部リンク: サーバーが 404 を返しました"_s,
                                  u"error 外部リンク: サーバーが 500 を返しました"_s,
                                  u"silent 外部リンク: 応答がありません"_s}));
    QCOMPARE(result.redirected.size(), 1);
    QCOMPARE(result.redirected.first().reason, u"外部リンク: %1/ok に転送されます"_s.arg(at));
    QCOMPARE(result.unchecked.size(), 1); // the mail address
    QCOMPARE(result.externalChecked, 14);

    QJsonObject stats = server.stats();
    const QJsonObject requests = stats.value(u"requests"_s).toObject();
    // Once per address, the fragment aside (and once more as where /moved leads); GET after a
    // refused HEAD.
    QCOMPARE(requests.value(u"/ok"_s).toInt(), 2);
    QCOMPARE(requests.value(u"/missing"_s).toInt(), 1);
    QCOMPARE(requests.value(u"/nohead"_s).toInt(), 2);
    // The silent port shares the host and may hold one of its two places for the whole
    // timeout, so this run alone need not overlap; it must never exceed two.
    QVERIFY(stats.value(u"most"_s).toInt() <= 2);

    // Asked again within the day, the answers come from the kept file: the server is not asked.
    ExternalLinkCheck again(settings);
    const QList<ExternalLinkCheck::Answer> answers =
        again.check({at + u"/ok"_s, at + u"/missing"_s});
    QCOMPARE(answers.size(), 2);
    QVERIFY(answers[0].fromCache && answers[1].fromCache);
    QCOMPARE(answers[1].verdict, ExternalLinkCheck::Verdict::Broken);
    const QJsonObject after = server.stats().value(u"requests"_s).toObject();
    QCOMPARE(after.value(u"/ok"_s).toInt(), 2);
    QCOMPARE(after.value(u"/missing"_s).toInt(), 1);

    // Slow answers alone: two at a time, never more.
    QStringList slow;
    for (int i = 0; i < 6; ++i)
        slow << u"%1/slow/again%2?delay=150"_s.arg(at).arg(i);
    ExternalLinkCheck::Settings uncached;
    uncached.timeoutMs = 1500;
    for (const ExternalLinkCheck::Answer &answer : ExternalLinkCheck(uncached).check(slow))
        QCOMPARE(answer.verdict, ExternalLinkCheck::Verdict::Ok);
    QCOMPARE(server.stats().value(u"most"_s).toInt(), 2);
}

QTEST_GUILESS_MAIN(TestExternalLinkCheck)
#include "tst_externallinkcheck.moc"
