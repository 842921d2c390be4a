// The crossing between the operating system's file names and Qt's strings, as a file named on
// the command line goes through it.
#include "ui/qtext.h"
#include "uitest.h"

using namespace kestrun;
using namespace kestrun::test;

class TestQText : public QObject {
    Q_OBJECT
private slots:
    // Guards against names that are not UTF-8 ("caf\xe9" of a Latin-1 system): the desktop
    // program could not open them.
    void fileNamesOfAnyBytes() {
        TProgram p;
        p.Start();
        const std::string file = p.Work.File("caf\xe9 \xd0\x9c.pln");
        WriteBytes(file, ReadBytes(TestData("plans/fs2004.pln")));
        QCOMPARE(QToPath(PathToQ(file)).native(), file);
        try {
            p.Main().OpenFile(PathToQ(file));
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        QCOMPARE(p.Plan().Count(), 3);
    }
};

KESTRUN_UI_TEST_MAIN(TestQText)
#include "qtext_test.moc"
