// Printing from the viewer and the full-screen view in the whole program, into PDF files: the
// two "Print" questions, what they print, the buttons they lock, and a page whose picture
// vanished before it printed.
#include "common/captureapp.h"
#include "viewer/pdfpages.h"
#include "viewer/picturebox.h"
#include "viewer/printing.h"
#include "viewer/printquestion.h"
#include "viewer/storedpictures.h"
#include "viewer/viewerwindow.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTest>
#include <QTimer>

using Role = ToolWindows::Role;

namespace {
struct PrintApp : CaptureApp
{
    bool open(QString *error)
    {
        if (!start(error) || !storePictures(0, 9, QSize(320, 240)))
            return false;
        app->printing().printer().printToFile(dir.path() + "/print.pdf");
        panel()->view->click();
        return app->viewer().isVisible();
    }
    PrintQuestion *question(Role role) { return tool<PrintQuestion>(role); }
    QPushButton *viewerButton(const char *name) { return part<QPushButton>(&app->viewer(), name); }
    QPushButton *toolbarButton(const char *name) { return part<QPushButton>(&main(), name); }
    QString printed() { return pdfPages(dir.path() + "/print.pdf").join('\f').simplified(); }
};

// Answers the print dialog that a print into a file that is there opens: Cancel, or "Print"
// to the same file and "Yes" to Qt's question whether to replace it.
class PrintDialogAnswer
{
public:
    explicit PrintDialogAnswer(bool print)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this, print] {
            // Clicked later: a click opens the next question, and this timer waits meanwhile.
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *question = qobject_cast<QMessageBox *>(modal)) {
                m_replaceAsked = true;
                QTimer::singleShot(0, question->button(QMessageBox::Yes), &QAbstractButton::click);
            } else if (auto *dialog = qobject_cast<QPrintDialog *>(modal)) {
                m_asked = true;
                QDialogButtonBox *buttons = dialog->findChild<QDialogButtonBox *>();
                if (print && buttons && buttons->button(QDialogButtonBox::Ok))
                    QTimer::singleShot(0, buttons->button(QDialogButtonBox::Ok),
                                       &QAbstractButton::click); // as the user: checked
                else
                    QTimer::singleShot(0, dialog, &QDialog::reject);
            }
        });
        m_poll.start(50);
    }
    bool asked() const { return m_asked; }
    bool replaceAsked() const { return m_replaceAsked; }

private:
    QTimer m_poll;
    bool m_asked = false;
    bool m_replaceAsked = false;
};
} // namespace

class TestPrintFlow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!popplerAvailable())
            QSKIP("pdftotext and pdftoppm are needed (Debian package poppler-utils)");
    }
    void rangeThenPicture();
    void vanishedPictureEndsTheRangePage();
};

void TestPrintFlow::rangeThenPicture()
{
    PrintApp a;
    QString error;
    QVERIFY2(a.open(&error), qPrintable(error));
    a.viewerButton("printRange")->click();
    PrintQuestion *range = a.question(Role::PrintRange);
    QVERIFY(range->isVisible());
    QCOMPARE(range->windowTitle(), QStringLiteral("Print"));
    QCOMPARE(range->question(), QString(20, ' ') + "Print range 0-9 ?");
    range->findChild<QPushButton *>("okButton")->click();
    QVERIFY(!range->isVisible());
    QVERIFY(a.viewerButton("printRange")->isEnabled());
    QCOMPARE(a.app->printing().printChoice(), 0);
    QVERIFY(a.messages->errors.isEmpty());
    const QString page = a.printed();
    QVERIFY2(page.startsWith("Vardella grabber version 1.3 printing range 0-9 picture 0 "),
             qPrintable(page));
    // The closing step: the maximum and its box follow the Max arrows again.
    QCOMPARE(a.state().MaxFrames(), 250);
    QCOMPARE(a.panel()->maxStepBox->text(), QStringLiteral("Max.250  frms"));

    a.app->viewer().findChild<PictureBox *>("thumbnail5")->click();
    a.toolbarButton("print")->click();
    PrintQuestion *picture = a.question(Role::PrintPicture);
    QCOMPARE(picture->question(), QStringLiteral("                     Print picture :  4 ?"));
    QVERIFY(!a.toolbarButton("print")->isEnabled());
    QVERIFY(!a.toolbarButton("printerSetup")->isEnabled());
    QTest::keyClick(picture, Qt::Key_Escape); // as "Cancel"
    QVERIFY(!picture->isVisible());
    QVERIFY(a.toolbarButton("print")->isEnabled());
    // The range's page is in the file: the picture print asks first, and Cancel keeps it.
    a.toolbarButton("print")->click();
    {
        const PrintDialogAnswer cancel(false);
        picture->findChild<QPushButton *>("okButton")->click();
        QVERIFY(cancel.asked());
    }
    QCOMPARE(a.messages->errors,
             QStringList{QStringLiteral("No printer was chosen, so nothing was printed.")});
    QCOMPARE(a.printed(), page);
    a.toolbarButton("print")->click();
    {
        const PrintDialogAnswer replace(true);
        picture->findChild<QPushButton *>("okButton")->click();
        QVERIFY(replace.asked() && replace.replaceAsked());
    }
    QVERIFY(a.toolbarButton("printerSetup")->isEnabled());
    QVERIFY2(a.printed().startsWith("Vardella 1.3 picture: 4 "), qPrintable(a.printed()));
}

void TestPrintFlow::vanishedPictureEndsTheRangePage()
{
    PrintApp a;
    QString error;
    QVERIFY2(a.open(&error), qPrintable(error));
    QVERIFY(QFile::remove("1/capture3.jpg"));
    a.viewerButton("printRange")->click();
    a.question(Role::PrintRange)->findChild<QPushButton *>("okButton")->click();
    QCOMPARE(a.messages->errors.size(), 1);
    QVERIFY2(a.messages->errors[0].contains("1/capture3.jpg"), qPrintable(a.messages->errors[0]));
    const QString page = a.printed();
    QVERIFY2(page.contains("picture 2 ") && !page.contains("picture 3"), qPrintable(page));
    QVERIFY(a.viewerButton("printRange")->isEnabled());
    QCOMPARE(a.app->printing().printChoice(), 0);
}

QTEST_MAIN(TestPrintFlow)
#include "tst_printflow.moc"
