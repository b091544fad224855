#pragma once

// The working animation played through the media engine into a widget beside the button
// bar, over and over while a command works.

#include "dbmanager/Arbeitsanimation.h"

#include "platform/media/MediaEngine.h"

#include <QPointer>

#include <memory>


namespace dbmanager {

class MpvAnimation : public Arbeitsanimation
{
public:
    // engine: null means the real libmpv engine.
    explicit MpvAnimation(std::unique_ptr<klang::media::MediaEngine> engine = nullptr);
    ~MpvAnimation() override;

    bool laden(const QString& datei) override;
    void abspielen() override;
    void anhalten() override;
    QWidget* widget() override;

private:
    std::unique_ptr<klang::media::MediaEngine> m_engine;
    QPointer<QWidget> m_widget;
    QString m_datei;
    bool m_laeuft = false;
};

} // namespace dbmanager
