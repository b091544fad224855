#pragma once

// The cover strip widget: 22 picture slots imgCover_0 .. imgCover_21 stacked at a pitch of
// 1050 twips, the hidden list lstCover and the paging buttons cmdCoverUp / cmdCoverDown. The
// caller gives it the cover folder's files and the grid's band and title per row; a click on a
// cover reports the grid row, a double click shows the cover's name.

#include "player/catalogue/detail/CoverStreifenRegeln.h"

#include <QSet>
#include <QVector>
#include <QWidget>

class QLabel;
class QListWidget;
class QToolButton;

namespace klang::detail {

class CoverStreifen : public QWidget
{
    Q_OBJECT
public:
    explicit CoverStreifen(QWidget* parent = nullptr);

    // The cover folder (DatenbankPfad + "Bilder"); its files are read by coverAktualisieren.
    void setCoverOrdner(const QString& ordner);
    // Band and title of the grid rows (index 0 = first data row), or of those rows only whose
    // cover is in the folder (their rows named).
    void setZeilen(const QList<BandTitel>& zeilen);
    // Re-reads the folder; the names its files give ("Band - LPTitel" without extension).
    QSet<QString> coverNamen();

    // Rebuilds the list from the folder as read last and the rows (start-up).
    void CoverListeAktuell();
    // Re-reads the folder, rebuilds the list, recounts the slots for the window height in
    // twips and shows the current page again.
    void CoverAktualisieren(int fensterHoeheTwips);
    // The window layout's slot count.
    void setLetzterSlot(int index);
    // The record change: moves to the record's cover unless a cover click caused it.
    void folgen(const QString& band, const QString& titel);

    const CoverStreifenRegeln& regeln() const { return m_regeln; }
    QLabel* slot(int index) const { return m_slots.value(index); }

    QListWidget* lstCover = nullptr;
    QToolButton* cmdCoverUp = nullptr;
    QToolButton* cmdCoverDown = nullptr;

public Q_SLOTS:
    void CoverDown();
    void CoverUp();
    void imgCover_Click(int index);
    void imgCover_DblClick(int index);

Q_SIGNALS:
    // A cover was clicked: select this grid row (index into the rows given). The record change
    // that follows must not move the strip (the widget skips its next folgen()).
    void zeileWaehlen(int zeile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void zeigen();
    void folderLesen();

    CoverStreifenRegeln m_regeln;
    QVector<QLabel*> m_slots;
    QString m_ordner;
    QStringList m_dateien;
    QList<BandTitel> m_zeilen;
    bool m_sucheUeberspringen = false;
};

} // namespace klang::detail
