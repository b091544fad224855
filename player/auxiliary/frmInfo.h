#pragma once

// The about box: the maker's logo and credit lines that scroll upwards while music plays.

#include <QDialog>
#include <QStringList>
#include <QTimer>

class QFrame;
class QLabel;

namespace klang::player {

class frmInfo : public QDialog
{
    Q_OBJECT
public:
    explicit frmInfo(const QString& programmPfad, QWidget* parent = nullptr);
    ~frmInfo() override;

    // (Re)starts the music and the credits from below the visible area.
    void Bildtext();
    // A raised or sunken 3-D frame of Dicke nested 1-px outlines around AimControl, drawn on
    // this box (white top and left when raised, grey when sunken, the other edges the other
    // colour).
    void Border3D(QWidget* AimControl, int Dicke, bool SetIn);
    // The credit lines as printed.
    QStringList zeilen() const { return m_zeilen; }

    QFrame* Rahmen = nullptr;
    QWidget* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* BildFenn = nullptr;
    QTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;

private:
    void Timer1_Timer();

    struct Rand
    {
        QWidget* ziel;
        int dicke;
        bool setIn;
    };
    QList<Rand> m_raender;
    QString m_programmPfad;
    QStringList m_zeilen;
};

} // namespace klang::player
