#pragma once

#include <QObject>

#include <memory>

// The three test classes of the rich-text layer, run by one executable.
std::unique_ptr<QObject> makeRtfCodecTest();
std::unique_ptr<QObject> makeRichTextBoxTest();
std::unique_ptr<QObject> makeRtfFuzzTest();
