#include <QTest>

#include "shell/ActorList.h"
#include "shell/ScreenScaling.h"
#include "shell/Tools.h"

// The command bar's table, the scaling decision and the actor list format.
class TestShellRules : public QObject {
    Q_OBJECT
private slots:
    void toolLookupIgnoresCase() {
        ToolSet tools;
        QVERIFY(tools.find(QStringLiteral("ID_Menu")));
        QCOMPARE(tools.find(QStringLiteral("ID_Menu"))->id, QStringLiteral("ID_MENU"));
        QVERIFY(!tools.find(QStringLiteral("ID_Nothing")));
        QCOMPARE(tools.find(QStringLiteral("ID_First"))->caption, QStringLiteral("Primo"));
        QCOMPARE(tools.find(QStringLiteral("ID_Gioca"))->caption, QStringLiteral("Gioca"));
        QVERIFY(!tools.isVisible(QStringLiteral("ID_Conferma")));
    }

    void cardCommandSets() {
        ToolSet tools;
        tools.setCardCommandsEnabled(false);
        int disabled = 0;
        for (const Tool& t : tools.tools())
            disabled += t.enabled ? 0 : 1;
        QCOMPARE(disabled, 11);
        QVERIFY(!tools.isEnabled(QStringLiteral("ID_HELP")));
        QVERIFY(tools.isEnabled(QStringLiteral("ID_Uscita")));
        QVERIFY(tools.isEnabled(QStringLiteral("ID_Conferma")));
        tools.setCardCommandsEnabled(true);
        QVERIFY(tools.isEnabled(QStringLiteral("ID_STRUMENTI")));
    }

    void barsAndMenus() {
        const auto bar3 = ToolSet::toolBar3();
        QStringList captions;
        for (const ToolPlace& p : bar3)
            captions << (p.isSeparator() ? ToolSet::separatorCaption() : p.caption);
        QCOMPARE(captions, (QStringList{"Prima Scheda", "separator", "Scheda Precedente",
                                        "separator", "Scheda Successiva", "separator",
                                        "Ultima Scheda", "separator", "Conferma"}));
        const auto menus = ToolSet::menuBar();
        QCOMPARE(menus.size(), std::size_t(3));
        QCOMPARE(menus[0].submenu.size(), std::size_t(12));
        QCOMPARE(menus[0].submenu.back().id, QStringLiteral("ID_Uscita"));
        QCOMPARE(menus[1].submenu[3].caption, QStringLiteral("Ricerca Semplice"));
        QCOMPARE(menus[2].submenu[4].caption, QStringLiteral("Brenvati sul WEB"));
        QCOMPARE(menus[2].submenu[4].submenu.size(), std::size_t(2));
        // Gioca sits on no bar and in no menu.
        std::function<bool(const std::vector<ToolPlace>&)> hasGame =
            [&](const std::vector<ToolPlace>& places) {
                for (const ToolPlace& p : places)
                    if (p.id == QLatin1String("ID_Gioca") || hasGame(p.submenu))
                        return true;
                return false;
            };
        QVERIFY(!hasGame(menus) && !hasGame(ToolSet::toolBar2()) && !hasGame(bar3));
    }

    void scalingFactors() {
        auto f = ScreenScaling::factors(640, 480);
        QCOMPARE(f.fx, 1.0f);
        QCOMPARE(f.fy, 1.0f);
        f = ScreenScaling::factors(1024, 768);
        QCOMPARE(f.fx, 1.6f);
        QCOMPARE(f.fy, 1.6f);
        QCOMPARE(qRound(1200 * f.fx), 1920);
        QCOMPARE(qRound(2400 * f.fx), 3840);
        QCOMPARE(8 * f.fy, 12.8f);
        f = ScreenScaling::factors(800, 480);
        QCOMPARE(f.fx, 1.25f);
        QCOMPARE(f.fy, 1.0f);
    }

    void scalingDecision() {
        using D = ScreenScaling::Decision;
        QCOMPARE(ScreenScaling::decide(QString(), 15360), D::ScaleSilently);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("0"), 9600), D::ScaleSilently);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("1"), 9600), D::Leave);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("1"), 15360), D::Ask);
        QCOMPARE(ScreenScaling::decide(QStringLiteral("abc"), 15360), D::ScaleSilently);
    }

    void actorItems() {
        QCOMPARE(ActorList::parse(QStringLiteral("Alberto Sordi\r\nTotò\r\nAnna Magnani\r\n")),
                 (QStringList{"Alberto Sordi", "Totò", "Anna Magnani"}));
        QCOMPARE(ActorList::parse(QStringLiteral("\"Sordi, Alberto\",Totò\n  nessuno")),
                 (QStringList{"Sordi, Alberto", "Totò", "nessuno"}));
        QCOMPARE(ActorList::parse(QString()), QStringList());
        QCOMPARE(ActorList::readFile(QStringLiteral("/nonexistent/attori.dat")), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestShellRules)
#include "tst_shellrules.moc"
