// Ruby beside a sentence: where its characters and the sentence's stand (worked by hand at the
// sheet's size: cells 300 twips, ruby 150), the trace of each layout, and what the check before
// printing makes of ruby.
#include <QtTest>

#include "pagecontent.h"
#include "preflight.h"
#include "recordingsurface.h"
#include "ruby.h"
#include "textruns.h"

using namespace pobelo;

namespace {

// "1+2:きょう;3:の" → ruby over the base characters 1 and 2, and over 3.
SentenceRuby rubyOf(const QString& written) {
    SentenceRuby ruby;
    for (const QString& part : written.split(u';', Qt::SkipEmptyParts)) {
        const QString base = part.section(u':', 0, 0);
        ruby.append(RubyText{base.section(u'+', 0, 0).toInt(),
                             base.contains(u'+') ? base.section(u'+', 1).toInt() : 1,
                             part.section(u':', 1)});
    }
    return ruby;
}

QString numbers(const QList<float>& values) {
    QStringList out;
    for (const float v : values) out << traceNumber(v);
    return out.join(u' ');
}

// A sentence of the sheet with its ruby; the asked part's characters are those of asked.
void setRubyItem(PageContent& page, int i, const QString& before, const QString& asked,
                 const QString& after, const QString& ruby) {
    pobelo::test::setItem(page, i, before, asked, after);
    page.ruby[i] = rubyOf(ruby);
}

// The trace's lines of the ruby that holds "が", from its size to the size set back after it.
QStringList rubyOps(const QStringList& trace) {
    const qsizetype ga = trace.indexOf(R"({"op":"printRuby","text":"が"})");
    const qsizetype from = trace.lastIndexOf(R"({"op":"setFontSize","size":7.5})", ga);
    if (ga < 0 || from < 0) return {};
    const qsizetype to = trace.indexOf(R"({"op":"setFontSize","size":15})", from);
    return trace.mid(from, to - from + 1);
}

QStringList rubyAt(const QList<std::pair<int, int>>& places, const QString& text) {
    QStringList ops{R"({"op":"setFontSize","size":7.5})"};
    for (qsizetype i = 0; i < places.size(); ++i) {
        ops << QStringLiteral(R"({"op":"setCurrentX","x":%1})").arg(places[i].first)
            << QStringLiteral(R"({"op":"setCurrentY","y":%1})").arg(places[i].second)
            << QStringLiteral(R"({"op":"printRuby","text":"%1"})").arg(text.mid(i, 1));
    }
    return ops << R"({"op":"setFontSize","size":15})";
}

}  // namespace

class RubyTest : public QObject {
    Q_OBJECT

  private slots:
    // The sentence behind its item number ①; asked counts in the same characters.
    void placement_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ruby");  // base characters from 0, after the item number
        QTest::addColumn<int>("askedFirst");
        QTest::addColumn<int>("askedCount");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("rubyOffsets");
        QTest::addColumn<int>("end");
        const auto row = [](const char* name, const char* text, const char* ruby, int first,
                            int count, const char* cells, const char* offsets, int end) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(ruby) << first
                                << count << cells << offsets << end;
        };
        row("mono, as long as its base", "①学校へ", "0:がっ;1:こう", 0, 0, "0 300 600 900",
            "300 450 600 750", 1200);
        row("mono, shorter: centred", "①木の", "0:き", 0, 0, "0 300 600", "375", 900);
        row("group, shorter: 1:2:1", "①今日は", "0+2:きょう", 0, 0, "0 300 600 900", "325 525 725",
            1200);
        row("overhangs kana on both sides", "①はな承の", "2:しょう", 0, 0, "0 300 600 900 1200",
            "825 975 1125", 1500);
        row("between kanji: spread, the rest moves", "①東京駅", "0:とう;1:きょう;2:えき", 0, 0,
            "0 300 675 1050", "300 450 600 750 900 1050 1200", 1350);
        row("never over the asked part", "①承る", "0:しょう", 2, 1, "0 375 750", "300 450 600",
            1050);
        row("overhangs the end", "①の承", "1:しょう", 0, 0, "0 300 600", "525 675 825", 900);
        row("group, longer: spread evenly", "①海苔", "0+2:のりのりの", 0, 0, "0 337.5 712.5",
            "300 450 600 750 900", 1050);
        row("a base past the sentence is left out", "①木", "0:き;1:き", 0, 0, "0 300", "375", 600);
    }
    void placement() {
        QFETCH(QString, text);
        QFETCH(QString, ruby);
        QFETCH(int, askedFirst);
        QFETCH(int, askedCount);
        const RubyPlacement placed =
            placeRuby(textCells(text), 1, rubyOf(ruby), askedFirst, askedCount, 300, 15);
        QList<float> offsets;
        QString shown;
        for (const RubyPlacement::Piece& p : placed.ruby) {
            offsets << p.offset;
            shown += p.text;
        }
        QTEST(numbers(placed.cells), "cells");
        QTEST(numbers(offsets), "rubyOffsets");
        QTEST(int(placed.end), "end");
        QCOMPARE(placed.rubyPoints, 7.5f);
        QCOMPARE(shown.size(), qsizetype(offsets.size()));
    }

    // A worked trace of each layout: the ruby beside item ①, at half size, touching its cells
    // on the side of the side lines; item ②'s spread base moves its side line along.
    void traces_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QStringList>("ruby");
        QTest::addColumn<QString>("sideLine");
        QTest::addColumn<QString>("frameLine");  // one the layout draws
        // Vertical: row ① at Y 1000, its cells from X 300; the ruby 150 above (850).
        QTest::newRow("vertical")
            << "@F" << rubyAt({{600, 850}, {750, 850}, {900, 850}, {1050, 850}}, "がっこう")
            << R"({"op":"drawLine","x1":1650,"y1":1700,"x2":1950,"y2":1700,"color":0})"
            << R"({"op":"drawLine","x1":200,"y1":820,"x2":200,"y2":200,"color":0})";
        // Upright: item ① the rightmost column at X 15053, the ruby right of it (15353).
        QTest::newRow("upright")
            << "F" << rubyAt({{15353, 500}, {15353, 650}, {15353, 800}, {15353, 950}}, "がっこう")
            << R"({"op":"drawLine","x1":14703,"y1":1550,"x2":14703,"y2":1850,"color":0})"
            << R"({"op":"drawLine","x1":16038,"y1":200,"x2":16038,"y2":11000,"color":0})";
    }
    void traces() {
        QFETCH(QString, font);
        SheetContent sheet;
        sheet.fontName = font;
        setRubyItem(sheet.right, 0, "学校", "へ", "行く。", "0:がっ;1:こう");
        setRubyItem(sheet.right, 1, "東京駅", "へ", "行く。", "0:とう;1:きょう;2:えき");
        RecordingSurface surface;
        drawSheet(sheet, naturalFit(), surface);
        QFETCH(QStringList, ruby);
        QFETCH(QString, sideLine);
        QFETCH(QString, frameLine);
        QCOMPARE(rubyOps(surface.lines()), ruby);
        QVERIFY(surface.lines().contains(sideLine));
        QVERIFY(surface.lines().contains(frameLine));
    }

    // The check before printing: ruby of the first row leaves the title frame alone, ruby that
    // stands beside an asked part runs into its side line, and a sentence too long with its ruby
    // is fitted with it.
    void preflight_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("ruby");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<bool>("fitCures");
        // 局 between 便 and あ spreads by 150: vertical, three cells pass the answers at 5528
        // (from X 5850 - 300 on); upright, two pass 5500.
        const QString longAfter = QStringLiteral("郵便局") + QString(u'あ').repeated(13);
        for (const char* font : {"@F", "F"}) {
            const QString f = QString::fromLatin1(font);
            QTest::newRow(qPrintable(f + " clean")) << f << ""
                                                    << "へ行く。"
                                                    << "3:い" << QStringList() << true;
            QTest::newRow(qPrintable(f + " over the asked part"))
                << f << "学"
                << "へ行く。"
                << "0:がく;1:こう"
                << QStringList{QStringLiteral("右ページ　① のふりがなが① の傍線にかかります")}
                << false;
            QTest::newRow(qPrintable(f + " too long"))
                << f << "" << longAfter << "2:ゆう;3:びん;4:きょく"
                << QStringList{QStringLiteral("右ページ　① の文が解答欄にかかります（%1字）")
                                   .arg(f.startsWith(u'@') ? 3 : 2)}
                << true;
        }
    }
    void preflight() {
        QFETCH(QString, font);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, ruby);
        QFETCH(bool, fitCures);
        SheetContent sheet;
        sheet.fontName = font;
        setRubyItem(sheet.right, 0, before, before.isEmpty() ? "学校" : "校", after, ruby);
        QStringList found;
        for (const Finding& f : preflightSheet(sheet, nullptr)) found << f.line();
        QTEST(found, "found");
        const SheetFit fit = fitSheet(sheet, nullptr);
        QCOMPARE(preflightSheet(sheet, nullptr, &fit).isEmpty(), fitCures);
        // A sentence without ruby is fitted as before.
        QCOMPARE(fit.right.sentences[1], naturalFit().right.sentences[1]);
    }
};

QTEST_GUILESS_MAIN(RubyTest)
#include "test_ruby.moc"
