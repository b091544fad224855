#include "tests/platform/richtext/RichTextTests.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QtTest>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    klang::test::TestEnvironment environment;
    int failures = 0;
    for (auto* make : {&makeRtfCodecTest, &makeRichTextBoxTest, &makeRtfFuzzTest}) {
        const std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
