// A plain xcb client, no toolkit: one window painting the test pattern through PutImage with a
// chosen fourth byte in every pixel (0x00, or garbage varying per row), until killed:
//   helper_rawpattern x y width height zero|garbage [managed]
// Without "managed" the window bypasses the window manager and sits exactly there. Prints
// "ready X Y" (its inside's place on the screen) once it has been painted.
#include "RawPattern.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    auto *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    std::free(r);
    return a;
}

// The pattern's rows as depth-24 pixels of 32 bits (B, G, R, pad in memory), the pad as asked.
std::vector<uint32_t> patternPixels(int width, int height, RawPattern::Pad pad)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] =
                (RawPattern::colour(x, y) & 0xffffffu) | uint32_t(RawPattern::padByte(pad, y)) << 24;
    return pixels;
}

// Puts the pixels into the window in bands of rows that fit one request.
void paint(xcb_connection_t *c, xcb_window_t window, xcb_gcontext_t gc, const std::vector<uint32_t> &pixels,
           int width, int height)
{
    const size_t maxBytes = size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
    const int rows = std::max(1, int(maxBytes / (size_t(width) * 4)));
    for (int y = 0; y < height; y += rows) {
        const int n = std::min(rows, height - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, uint16_t(width), uint16_t(n), 0, int16_t(y), 0, 24,
                      uint32_t(size_t(width) * size_t(n) * 4),
                      reinterpret_cast<const uint8_t *>(pixels.data() + size_t(y) * size_t(width)));
    }
    xcb_flush(c);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 6)
        return 2;
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]), width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const RawPattern::Pad pad = std::strcmp(argv[5], "garbage") == 0 ? RawPattern::Pad::garbage : RawPattern::Pad::zero;
    const bool managed = argc > 6 && std::strcmp(argv[6], "managed") == 0;
    if (width < 1 || height < 1)
        return 2;

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (screen->root_depth != 24)
        return 1;

    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, managed ? 0u : 1u,
                               XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, 24, window, screen->root, int16_t(x), int16_t(y), uint16_t(width), uint16_t(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const char title[] = "Raw pattern";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, sizeof title - 1, title);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"), 8,
                        sizeof title - 1, title);
    const char wmClass[] = "helper_rawpattern\0RawPattern";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass, wmClass);
    const uint32_t pid = uint32_t(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    // WM_NORMAL_HINTS: the place and size were chosen by the user (USPosition | USSize), so
    // the window manager keeps them.
    uint32_t hints[18] = {1u | 2u, uint32_t(x), uint32_t(y), uint32_t(width), uint32_t(height)};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                        hints);

    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, window, 0, nullptr);
    const std::vector<uint32_t> pixels = patternPixels(width, height, pad);
    xcb_map_window(c, window);
    xcb_flush(c);

    bool ready = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const uint8_t type = event->response_type & 0x7f;
        std::free(event);
        if (type != XCB_EXPOSE)
            continue;
        paint(c, window, gc, pixels, width, height);
        if (!ready) {
            // The pixels are in once a round trip has come back after them.
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            auto *t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, screen->root, 0, 0),
                                                      nullptr);
            std::printf("ready %d %d\n", t ? t->dst_x : x, t ? t->dst_y : y);
            std::fflush(stdout);
            std::free(t);
            ready = true;
        }
    }
    xcb_disconnect(c);
    return 0;
}
