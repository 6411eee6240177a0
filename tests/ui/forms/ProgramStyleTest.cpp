#include "ui/forms/ProgramStyle.h"

#include <QGroupBox>
#include <QImage>
#include <QStyleFactory>
#include <QStyleOption>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The program's style reads its pictures another way; what it draws must be the base style's, exactly.

QImage GroupBoxIn(QStyle& style, const QString& title, bool checkable) {
    QGroupBox box(title);
    box.setCheckable(checkable);
    box.setStyle(&style);
    box.resize(120, 70);
    return box.grab().toImage();
}

TEST(ProgramStyle, DrawsFusionsGroupBoxes) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    ProgramStyle program(QStyleFactory::create("Fusion"));
    for (const auto& [title, checkable] :
         {std::pair{QString("Owner"), false}, {QString(), false}, {QString(), true}}) {
        EXPECT_EQ(GroupBoxIn(program, title, checkable), GroupBoxIn(*fusion, title, checkable))
            << title.toStdString() << " checkable " << checkable;
    }
}

TEST(ProgramStyle, GivesFusionsExtensionChevrons) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    ProgramStyle program(QStyleFactory::create("Fusion"));
    for (const auto icon :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        for (const auto direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            QStyleOption option;
            option.direction = direction;
            const QIcon expected = fusion->standardIcon(icon, &option);
            const QIcon drawn = program.standardIcon(icon, &option);
            ASSERT_FALSE(expected.availableSizes().isEmpty());
            EXPECT_EQ(drawn.availableSizes(), expected.availableSizes());
            for (const QSize size : expected.availableSizes()) {
                EXPECT_EQ(drawn.pixmap(size).toImage(), expected.pixmap(size).toImage())
                    << icon << " direction " << direction << " size " << size.width();
            }
        }
    }
}

} // namespace
