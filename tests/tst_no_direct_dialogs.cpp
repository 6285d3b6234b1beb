#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

// Message boxes, file dialogs and input prompts go through the services, so that
// tests can script them. Only the Qt implementations of those services may open
// Qt's dialogs directly.

namespace {

// Code lines that open a Qt dialog directly; comments and literals do not count.
QStringList directDialogLines(QString text) {
    // One left-to-right pass, so a "//" inside a literal or a quote inside a comment
    // is taken for what it is.
    static const QRegularExpression proseOrLiteral(
        QStringLiteral(
            "//[^\\n]*|/\\*.*?\\*/|\"(?:[^\"\\\\\\n]|\\\\.)*\"|'(?:[^'\\\\\\n]|\\\\.)*'"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression dialog(QStringLiteral(
        R"(\bQMessageBox\s*::|\b(?:QFileDialog|QInputDialog)\s*::\s*get)"
        R"(|\b(?:new\s+|make_unique\s*<\s*|make_shared\s*<\s*)(?:QMessageBox|QFileDialog|QInputDialog)\b)"
        R"(|\b(?:QMessageBox|QFileDialog|QInputDialog)\s+\w+\s*[({;=])"));
    QStringList hits;
    for (const QString& line : text.replace(proseOrLiteral, QStringLiteral(" ")).split(u'\n'))
        if (line.contains(dialog))
            hits << line.trimmed();
    return hits;
}

}  // namespace

class TestNoDirectDialogs : public QObject {
    Q_OBJECT

private slots:
    void recognisesDirectDialogs() {
        const QString sample = QStringLiteral(
            "QMessageBox::information(this, t, m);\n"
            "auto f = QFileDialog::getOpenFileName(this);\n"
            "QInputDialog::getText(this, a, b);\n"
            "auto* b = new QMessageBox(this);\n"
            "QFileDialog dlg(this);\n"
            "auto p = std::make_unique<QInputDialog>();\n"
            "// QMessageBox::warning in a comment\n"
            "show(\"QMessageBox:: \\\" // x\"); /* QFileDialog::getX\n"
            "QInputDialog::getInt */ QFileDialog::Options o; const char c = '\"';\n"
            "#include <QMessageBox>\n");
        QCOMPARE(directDialogLines(sample).size(), 6);
    }

    void sourcesUseTheServices() {
        const QString srcDir = QStringLiteral(RACCOLIO_SOURCE_DIR "/src");
        QStringList offenders;
        int scanned = 0;
        for (QDirIterator it(srcDir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            if (path.contains(QStringLiteral("/platform/ui/QtServices.")))
                continue;
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            ++scanned;
            for (const QString& line : directDialogLines(QString::fromUtf8(file.readAll())))
                offenders << path.mid(srcDir.size() + 1) + QStringLiteral(": ") + line;
        }
        QVERIFY(scanned > 0);
        QVERIFY2(offenders.isEmpty(),
                 qPrintable(QStringLiteral("Direct dialog calls outside "
                                           "QtServices (use the services):\n") +
                            offenders.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestNoDirectDialogs)
#include "tst_no_direct_dialogs.moc"
