// The update check: the bar as the check's host, and IdFTP1's progress.
#include "app/unit3.h"

#include "app/notice.h"
#include "app/picture.h"
#include "update/updatecheck.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProgressBar>

namespace {

// What the check does to the bar. Once the bar is closing, nothing more is shown or started.
class BarHost : public kovalt::UpdateHost {
public:
    explicit BarHost(TForm3* bar) : m_bar(bar) {}

    void SetProgressVisible(bool visible) override { m_bar->JvProgressBar1->setVisible(visible); }
    int ProgressPosition() const override { return m_bar->JvProgressBar1->value(); }
    void SetProgressPosition(int position) override { m_bar->JvProgressBar1->setValue(position); }
    void ShowReadyIndicator() override { m_bar->JvImage1->show(); }
    void ShowInformation(const QString& caption, const QString& text) override
    {
        if (!m_bar->Ending())
            kovalt::MessageBox::information(caption, text);
    }
    bool StartInstaller(const QString& commandLine) override
    {
        return !m_bar->Ending() && UpdateHost::StartInstaller(commandLine);
    }
    void Terminate() override
    {
        if (!m_bar->Ending())
            m_bar->EndRun(0);
    }

private:
    TForm3* m_bar;
};

// A close request while the check waits for the server makes the running FTP call fail soon.
class CloseWatch : public QObject {
public:
    CloseWatch(TForm3* bar, kovalt::IdFtp& ftp) : m_bar(bar), m_ftp(ftp) { bar->installEventFilter(this); }
    ~CloseWatch() override { m_bar->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_bar && event->type() == QEvent::Close)
            m_ftp.Abort();
        return false;
    }

private:
    TForm3* m_bar;
    kovalt::IdFtp& m_ftp;
};

bool checkRunning = false;

} // namespace

void TForm3::KontrolaNV()
{
    // Timer1 is stopped before this runs; the guard keeps a nested event from starting a second check.
    if (checkRunning || Ending())
        return;
    checkRunning = true;
    struct Reset {
        TForm3* bar;
        ~Reset()
        {
            bar->IdFTP1.OnWork = nullptr;
            checkRunning = false;
        }
    } reset{this};
    BarHost host(this);
    CloseWatch watch(this, IdFTP1);
    IdFTP1.OnWork = [this](kovalt::WorkMode, qint64) {
        // A close that came before the connection began.
        if (Ending())
            IdFTP1.Abort();
        IdFTP1Work();
    };
    kovalt::KontrolaNV(host, IdFTP1);
}

void TForm3::IdFTP1Work()
{
    BarHost host(this);
    kovalt::IdFTP1Work(host);
}
