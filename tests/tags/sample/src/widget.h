// A widget holding one value, with a few ways to change it.
#pragma once

#include "../include/config.h"

namespace ui {

enum class WidgetState { Idle, Busy, Done };

struct WidgetConfig {
    int width;
    int height;
};

class Widget {
public:
    explicit Widget(int value);
    void Set(int value);
    void SetValue(int value);
    int GetValue() const;
    void Reset();

private:
    int value_;
    WidgetState state_;
};

}  // namespace ui
