#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

// Message boxes, file dialogs and input prompts go through the services, so that
// tests can script them. Only the Qt implementations of those services may open
// Qt's dialogs directly.

namespace {

// Blanks comments and string literals, keeping line breaks, so that a mention in
// prose does not count.
QString codeOnly(const QString& text) {
    QString out = text;
    enum { Code, LineComment, BlockComment, Literal } state = Code;
    QChar quote;
    auto blank = [&out](qsizetype i) {
        if (i < out.size() && out[i] != u'\n')
            out[i] = u' ';
    };
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        const QChar next = i + 1 < out.size() ? out[i + 1] : QChar();
        switch (state) {
            case Code:
                if (c == u'/' && next == u'/') {
                    state = LineComment;
                } else if (c == u'/' && next == u'*') {
                    state = BlockComment;
                    blank(i++);
                } else if (c == u'"' || c == u'\'') {
                    state = Literal;
                    quote = c;
                } else {
                    continue;
                }
                blank(i);
                break;
            case LineComment:
                if (c == u'\n')
                    state = Code;
                blank(i);
                break;
            case BlockComment:
                if (c == u'*' && next == u'/') {
                    state = Code;
                    blank(i++);
                }
                blank(i);
                break;
            case Literal:
                if (c == u'\\') {
                    blank(i++);
                } else if (c == quote || c == u'\n') {
                    state = Code;
                }
                blank(i);
                break;
        }
    }
    return out;
}

// 1-based numbers of the lines that open a Qt dialog directly.
QList<int> directDialogLines(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(\bQMessageBox\s*::)"
        R"(|\b(?:QFileDialog|QInputDialog)\s*::\s*get)"
        R"(|\bnew\s+(?:QMessageBox|QFileDialog|QInputDialog)\b)"
        R"(|\b(?:make_unique|make_shared)\s*<\s*(?:QMessageBox|QFileDialog|QInputDialog)\b)"
        R"(|\b(?:QMessageBox|QFileDialog|QInputDialog)\s+\w+\s*[({;=])"));
    QList<int> lines;
    const QStringList code = codeOnly(text).split(u'\n');
    for (int i = 0; i < code.size(); ++i) {
        if (pattern.match(code[i]).hasMatch())
            lines.append(i + 1);
    }
    return lines;
}

bool allowed(const QString& relativePath) {
    return relativePath.startsWith(QStringLiteral("platform/ui/QtServices."));
}

}  // namespace

class TestNoDirectDialogs : public QObject {
    Q_OBJECT

private slots:
    void recognisesDirectDialogs() {
        const QString sample = QStringLiteral(
            "QMessageBox::information(this, t, m);\n"                         // 1
            "auto f = QFileDialog::getOpenFileName(this);\n"                  // 2
            "bool ok; QInputDialog::getText(this, a, b);\n"                   // 3
            "QMessageBox box(QMessageBox::Critical, t, m);\n"                 // 4
            "auto* b = new QMessageBox(this);\n"                              // 5
            "QFileDialog dlg(this);\n"                                        // 6
            "QInputDialog input;\n"                                           // 7
            "auto p = std::make_unique<QFileDialog>();\n"                     // 8
            "// QMessageBox::warning in a comment\n"                          // 9
            "messages.show(\"QMessageBox::\", b, i); /* QFileDialog::getX\n"  // 10
            "QInputDialog::getInt */ int x = 0;\n"                            // 11
            "#include <QMessageBox>\n"                                        // 12
            "const char c = '\"'; QMessageBox::about(0, a, b);\n"             // 13
            "class Foo; QFileDialog::Options o;\n"                            // 14
            "f(\"a \\\" QMessageBox::x\"); QMessageBox m;\n");                // 15
        QCOMPARE(directDialogLines(sample), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 13, 15}));
    }

    void sourcesUseTheServices() {
        const QString srcDir = QStringLiteral(RACCOLIO_SOURCE_DIR "/src");
        QStringList offenders;
        int scanned = 0;
        QDirIterator it(srcDir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = path.mid(srcDir.size() + 1);
            if (allowed(relative))
                continue;
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            ++scanned;
            for (int line : directDialogLines(QString::fromUtf8(file.readAll())))
                offenders << QStringLiteral("src/%1:%2").arg(relative).arg(line);
        }
        QVERIFY(scanned > 0);
        QVERIFY2(offenders.isEmpty(),
                 qPrintable(QStringLiteral("Direct dialog calls outside QtServices "
                                           "(use MessageService, FileDialogService, "
                                           "InputService):\n") +
                            offenders.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestNoDirectDialogs)
#include "tst_no_direct_dialogs.moc"
