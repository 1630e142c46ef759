#include <gtest/gtest.h>

#include <QObject>
#include <memory>

#include "app/storage/NotificationCenter.h"

namespace plotwise {
namespace {

TEST(NotificationCenter, ObserversHearOnlyTheirName) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    QObject context;
    QObject poster;
    int dark = 0;
    int thick = 0;
    QObject* seen = nullptr;
    center.addObserver(useDarkBackground2DNotification, &context, [&](QObject* object) {
        ++dark;
        seen = object;
    });
    center.addObserver(useThickLinesNotification, &context, [&](QObject*) { ++thick; });

    center.post(useDarkBackground2DNotification, &poster);
    EXPECT_EQ(dark, 1);
    EXPECT_EQ(thick, 0);
    EXPECT_EQ(seen, &poster);
    center.post(useThickLinesNotification);
    center.post(shakeBeganNotification);
    EXPECT_EQ(dark, 1);
    EXPECT_EQ(thick, 1);
}

TEST(NotificationCenter, AnObserverEndsWithItsContext) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    int heard = 0;
    auto context = std::make_unique<QObject>();
    center.addObserver(shakeBeganNotification, context.get(), [&heard](QObject*) { ++heard; });
    center.post(shakeBeganNotification);
    context.reset();
    center.post(shakeBeganNotification);
    EXPECT_EQ(heard, 1);
}

}  // namespace
}  // namespace plotwise
