#pragma once

// The search and replace dialog: search text, the column boxes with "Alle", the replace
// option, the song rating with its stars and the style list. Every click goes to
// SuchboxModell, which holds the rules; the dialog shows the model's state after each one and
// raises the notices the rules collected. OK hands out the job only when the model accepts it.

#include "player/catalogue/search/SuchboxModell.h"

#include <QDialog>
#include <QVector>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace klang::player {

class Suchbox : public QDialog
{
    Q_OBJECT
public:
    // sortierFeld: the order field kept from an earlier showing.
    explicit Suchbox(const QString& sortierFeld, const QString& programmPfad, QWidget* parent = nullptr);

    // The job of a completed OK; empty after Exit, the close box or Esc.
    const std::optional<Suchauftrag>& auftrag() const { return m_auftrag; }
    // The order field to keep for the next showing.
    QString sortierFeld() const { return m_modell.sortierFeld(); }
    const SuchboxModell& modell() const { return m_modell; }

    // Controls (objectName = member name; arrays as name_index).
    QLabel* Label1 = nullptr;
    QLineEdit* txtSuchen = nullptr;
    QCheckBox* chkErsetzen = nullptr;
    QLineEdit* txtErsetzen = nullptr;
    QGroupBox* Frame1 = nullptr;
    QCheckBox* chkSpaltennameAlle = nullptr;
    QVector<QCheckBox*> chkSpaltenname;
    QCheckBox* chkBewertungSong = nullptr;
    QVector<QLabel*> imgStern;
    QListWidget* lstStil = nullptr;
    QListWidget* lstAusschluss = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonAbbrechen = nullptr;

    void RegistryLesen();
    void ListenLaden();
    void ButtonOk_Click();
    void ButtonAbbrechen_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void aufbauen();
    void spaltenSetzen();
    // Shows the model's state and raises its notices.
    void zeigen();
    void hinweiseZeigen();
    void stilGewaehlt();

    SuchboxModell m_modell;
    QString m_programmPfad;
    std::optional<Suchauftrag> m_auftrag;
    bool m_zeigt = false;
};

} // namespace klang::player
