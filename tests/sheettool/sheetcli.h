// What the tests of pobelo-sheet as a program share: running it, the five marked records and a
// folder that holds them.

#pragma once

#include <QDir>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "mojfile.h"

namespace pobelo::test {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

// Runs program with args, as from cron or ssh: without XDG_RUNTIME_DIR, which makes Qt warn.
// env: variables to set ("NAME=value").
inline Result run(const QString& program, const QStringList& args, const QString& workingDir,
                  const QStringList& env = {}) {
    QProcess p;
    p.setWorkingDirectory(workingDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    for (const QString& variable : env)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    p.setProcessEnvironment(environment);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline Result runSheet(const QStringList& args, const QString& workingDir,
                       const QStringList& env = {}) {
    return run(QStringLiteral(POBELO_SHEET_PROGRAM), args, workingDir, env);
}

// Five records whose texts carry their own mark, so that a sheet shows which records it holds:
// the sentences of record n contain "文" and its mark, the answers "解" and its mark. Record 3
// names a vertical-writing font.
inline const QStringList kMarks{"甲", "乙", "丙", "丁", "戊"};
inline const QStringList kHeadings{"一年 読み", "二年 読み, 書き", "三年 書き", "四年 読み",
                                   "五年 書き"};

inline QList<QStringList> markedRecords() {
    QList<QStringList> records;
    for (int n = 0; n < kMarks.size(); ++n) {
        QList<Item> items;
        for (int i = 0; i < 10; ++i)
            items.append({"文" + kMarks[n], "解" + kMarks[n], "字", "です。"});
        records << record(kHeadings[n], items, n == 3 ? "@ＭＳ 明朝" : "ＭＳ 明朝");
    }
    return records;
}

// A temporary folder holding the five marked records and a folder named like a question file.
class SheetCliFixture : public QObject {
    Q_OBJECT

  protected:
    QTemporaryDir dir_;
    QString file_;  // the five marked records

    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        file_ = path("marked.moj");
        QVERIFY(writeFile(file_, mojBytes(markedRecords())));
        QVERIFY(QDir(dir_.path()).mkdir("folder.moj"));
    }
};

}  // namespace pobelo::test
