// Another application that takes keys: a plain X client (no toolkit) with one window whose
// WM_CLASS instance is the second argument. Each key press other than a modifier is appended to
// the file named by the first argument as "STATE KEYSYM" (the Shift, Control, Mod1 and Mod4 bits
// of the state; the keysym of the key's first column in the keyboard map as it is now, kept up to
// date on MappingNotify). Runs until killed.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 200, 200, 400, 300, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string instance = argv[2];
    std::string wmClass = instance + '\0' + "Recorder" + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(wmClass.size()), wmClass.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(instance.size()), instance.data());
    xcb_intern_atom_reply_t *pid = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
    if (pid) {
        const uint32_t me = uint32_t(getpid());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, pid->atom, XCB_ATOM_CARDINAL, 32, 1, &me);
        std::free(pid);
    }
    xcb_map_window(c, window);
    xcb_flush(c);

    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            xcb_refresh_keyboard_mapping(symbols, reinterpret_cast<xcb_mapping_notify_event_t *>(event));
        } else if (type == XCB_KEY_PRESS) {
            const auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
            const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols, press->detail, 0);
            const bool modifier = keysym >= 0xffe1 && keysym <= 0xffee;
            if (!modifier) {
                const unsigned state = press->state & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
                if (FILE *out = std::fopen(argv[1], "a")) {
                    std::fprintf(out, "%u %u\n", state, unsigned(keysym));
                    std::fclose(out);
                }
            }
        }
        std::free(event);
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(c);
    return 0;
}
