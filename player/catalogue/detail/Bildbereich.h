#pragma once

// The picture area of the record detail view: the stored cover Bild1, the external pictures of
// the field BildPfad (imgBildpfad, chosen in cboBildpfad), the switch chkBildpfad between the
// two, the enlarged view picCoverGreat and the picture menu mnuBild. It takes the record's data
// through setters and never reaches into the catalogue.

#include "player/catalogue/detail/Gradzeichenliste.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;

namespace klang::detail {

class Bildbereich : public QWidget
{
    Q_OBJECT
public:
    explicit Bildbereich(QWidget* parent = nullptr);

    // Where listed files are looked for (database folder with "/", option BildLadePfad).
    void setDatenbankPfad(const QString& pfad);
    void setAusDatenbankpfad(bool an);

    // The record's stored picture (field Bilder) and raw picture list (field BildPfad).
    void setGespeichertesBild(const QByteArray& feld);
    void setBildpfadFeld(const QString& feld); // reloads the list while external pictures show
    QString bildpfadFeld() const { return m_feld; }

    // A record change: its stored picture and picture list. The list and the caption are
    // read again whatever the box says; the box then switches to the source that has a picture
    // (external ones while checked and any is listed, else the stored one; with none stored,
    // the external ones). Such a switch neither stores the choice nor moves the focus.
    void datensatzZeigen(const QByteArray& bilder, const QString& bildpfadFeld);

    // chkBildpfad: external pictures (true) or the stored one.
    void setExterneBilder(bool an);
    bool externeBilder() const;

    // The widget the enlarged view lies on (default: this area's window).
    void setVergroesserungsFlaeche(QWidget* flaeche);
    bool istVergroessert() const;
    // After a record change: a shown enlarged view takes the current picture.
    void vergroesserungAuffrischen();

    QImage aktuellesBild() const; // what the visible picture shows

    QLabel* Bild1 = nullptr;
    QLabel* imgBildpfad = nullptr;
    QComboBox* cboBildpfad = nullptr;
    QCheckBox* chkBildpfad = nullptr;
    QLabel* picCoverGreat = nullptr;
    QMenu* mnuBild = nullptr;
    QAction* mnuBildLaden = nullptr;
    QAction* MenuBildkopieren = nullptr;
    QAction* MenuBildEinfuegen = nullptr;
    QAction* mnuBildLoeschen = nullptr;

public Q_SLOTS:
    void BildpfadListeLaden();
    void cboBildpfad_Click(int index);
    void MenuBildkopieren_Click();
    void vergroessern(bool ausExtern);
    void verkleinern();

Q_SIGNALS:
    // chkBildpfad changed (to store HäkchenBildpfad and give the grid the focus).
    void externeBilderUmgeschaltet(bool an);
    // A control of the area got the focus; name as LetzterFokus keeps it ("cboBildpfad").
    void fokusErhalten(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chkBildpfad_Click(bool an);
    void zeige(QLabel* ziel, const QImage& bild);
    void menuZeigen(const QPoint& global);

    QString m_feld;
    QString m_datenbankPfad;
    bool m_ausDatenbankpfad = true;
    QImage m_gespeichert;
    QImage m_extern;
    QImage m_gross;
    QPointer<QWidget> m_flaeche;
    bool m_automatisch = false; // the box is switched by a record change, not by the user
};

} // namespace klang::detail
