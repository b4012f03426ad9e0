#include "engine/route_shield.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tolm::engine {

namespace {

using platform::Colour;

constexpr Colour k_white{0xFFFFFFFFu};
constexpr Colour k_black{0xFF000000u};
constexpr Colour k_interstate_blue{0xFF1F4E9Cu};
constexpr Colour k_interstate_red{0xFFC8102Eu};

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The number after a prefix and a blank or dash ("I 5", "I-5", "I5"), or empty if the text is not so.
std::string_view after_prefix(std::string_view text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return {};
    std::string_view rest = text.substr(prefix.size());
    if (!rest.empty() && (rest.front() == ' ' || rest.front() == '-')) rest.remove_prefix(1);
    return !rest.empty() && is_digit(rest.front()) ? rest : std::string_view{};
}

}  // namespace

RouteNumber classify_route(std::string_view ref) {
    ref = trim(ref);
    if (const auto n = after_prefix(ref, "I"); !n.empty()) return {ShieldKind::interstate, n};
    if (const auto n = after_prefix(ref, "US"); !n.empty()) return {ShieldKind::us_route, n};
    if (const auto n = after_prefix(ref, "SR"); !n.empty()) return {ShieldKind::state_route, n};
    // A state's postal code before the number: "OR 99E", "ME-15".
    if (ref.size() >= 3 && is_upper(ref[0]) && is_upper(ref[1]))
        if (const auto n = after_prefix(ref, ref.substr(0, 2)); !n.empty()) return {ShieldKind::state_route, n};
    return {ShieldKind::other, ref};
}

std::size_t split_route_refs(std::string_view ref, std::array<RouteNumber, k_most_shields>& out) {
    std::size_t count = 0;
    while (!ref.empty() && count < out.size()) {
        const std::size_t semicolon = ref.find(';');
        const std::string_view part = trim(ref.substr(0, semicolon));
        ref = semicolon == std::string_view::npos ? std::string_view{} : ref.substr(semicolon + 1);
        if (part.empty()) continue;
        const RouteNumber number = classify_route(part);
        if (number.number.empty() || number.number.size() > k_longest_shield_number) continue;
        out[count++] = number;
    }
    return count;
}

double shield_width(ShieldKind kind, double text_width, double height) noexcept {
    switch (kind) {
    case ShieldKind::interstate:
    case ShieldKind::us_route: return std::max(height * 1.05, text_width + height * 0.55);
    case ShieldKind::state_route: return std::max(height * 1.3, text_width + height * 0.7);
    case ShieldKind::other: break;
    }
    return std::max(height, text_width + height * 0.45);
}

void paint_shield_shape(platform::Painter& painter, ShieldKind kind, double x, double y, double width, double height,
                        bool monochrome) {
    const double left = x - width / 2, right = x + width / 2, top = y - height / 2, bottom = y + height / 2;
    switch (kind) {
    case ShieldKind::interstate: {
        // A flat-topped shield whose sides swell and meet in a point: blue, with a red crown.
        const auto outline = [&](double inset) {
            const double l = left + inset, r = right - inset, t = top + inset, b = bottom - inset;
            const double w = r - l, h = b - t;
            painter.move_to(l, t + h * 0.08);
            painter.line_to(l + w * 0.25, t);
            painter.line_to(l + w * 0.5, t + h * 0.08);
            painter.line_to(l + w * 0.75, t);
            painter.line_to(r, t + h * 0.08);
            painter.line_to(r, t + h * 0.45);
            painter.line_to(r - w * 0.1, t + h * 0.75);
            painter.line_to(l + w * 0.5, b);
            painter.line_to(l + w * 0.1, t + h * 0.75);
            painter.line_to(l, t + h * 0.45);
            painter.close_path();
        };
        outline(0);
        painter.fill(monochrome ? k_black : k_white);
        outline(1.2);
        painter.fill(monochrome ? k_black : k_interstate_blue);
        if (!monochrome) {
            const double l = left + 1.2, r = right - 1.2, t = top + 1.2, h = height - 2.4, w = r - l;
            painter.move_to(l, t + h * 0.08);
            painter.line_to(l + w * 0.25, t);
            painter.line_to(l + w * 0.5, t + h * 0.08);
            painter.line_to(l + w * 0.75, t);
            painter.line_to(r, t + h * 0.08);
            painter.line_to(r, t + h * 0.24);
            painter.line_to(l, t + h * 0.24);
            painter.close_path();
            painter.fill(k_interstate_red);
        }
        return;
    }
    case ShieldKind::us_route: {
        // A white shield with a black edge: shoulders at the top, a rounded point below.
        const double w = width, h = height;
        painter.move_to(left + w * 0.12, top);
        painter.line_to(right - w * 0.12, top);
        painter.line_to(right, top + h * 0.18);
        painter.line_to(right, top + h * 0.55);
        painter.line_to(right - w * 0.18, top + h * 0.85);
        painter.line_to(x, bottom);
        painter.line_to(left + w * 0.18, top + h * 0.85);
        painter.line_to(left, top + h * 0.55);
        painter.line_to(left, top + h * 0.18);
        painter.close_path();
        painter.fill_and_stroke(k_white, {k_black, 1.2, platform::LineCap::round});
        return;
    }
    case ShieldKind::state_route: {
        painter.move_to(right, y);
        for (int k = 1; k <= 24; ++k) {
            const double a = k * std::numbers::pi / 12;
            painter.line_to(x + width / 2 * std::cos(a), y + height / 2 * std::sin(a));
        }
        painter.close_path();
        painter.fill_and_stroke(k_white, {k_black, 1.2, platform::LineCap::round});
        return;
    }
    case ShieldKind::other: break;
    }
    painter.move_to(left, top);
    painter.line_to(right, top);
    painter.line_to(right, bottom);
    painter.line_to(left, bottom);
    painter.close_path();
    painter.fill_and_stroke(k_white, {k_black, 1.0, platform::LineCap::butt});
}

Colour shield_text_colour(ShieldKind kind, bool monochrome) noexcept {
    return kind == ShieldKind::interstate ? k_white : (monochrome ? k_black : Colour{0xFF111111u});
}

}  // namespace tolm::engine
