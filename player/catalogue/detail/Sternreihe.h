#pragma once

// A row of six rating stars (imgCDnote for the record, imgSongNote for the current track).
// Star k stands for k + 1 stars and carries the tool tip " k+1 ". The row only shows what it
// is given and reports clicks; the caller decides what a click changes.

#include <QLabel>
#include <QVector>
#include <QWidget>

namespace klang::detail {

class Sternreihe : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Anzahl = 6;

    // praefix names the stars: "imgCDnote" gives imgCDnote_0 .. imgCDnote_5.
    explicit Sternreihe(const QString& praefix, QWidget* parent = nullptr);

    void setSterne(int sterne); // 0..6, others show no lit star
    int sterne() const { return m_sterne; }
    bool istLeuchtend(int index) const;
    QLabel* stern(int index) const { return m_sterne_.value(index); }

    static QPixmap sternBild(bool leuchtend, int groesse);

Q_SIGNALS:
    // index 0..5 of the clicked star (rating index + 1)
    void sternGeklickt(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QVector<QLabel*> m_sterne_;
    int m_sterne = 0;
};

} // namespace klang::detail
