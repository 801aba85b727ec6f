// A second X client that holds a key combination: grabs the keysym (hex) with the core modifier
// mask (decimal) on the root window, prints "ready" or "refused", then holds it until stdin closes.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s KEYSYM_HEX MODIFIERS\n", argv[0]);
        return 2;
    }
    const xcb_keysym_t keysym = xcb_keysym_t(std::strtoul(argv[1], nullptr, 16));
    const uint16_t modifiers = uint16_t(std::strtoul(argv[2], nullptr, 10));
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (!codes || codes[0] == XCB_NO_SYMBOL) {
        std::fprintf(stderr, "no key for keysym\n");
        return 2;
    }
    xcb_generic_error_t *error = xcb_request_check(
        c, xcb_grab_key_checked(c, 1, root, modifiers, codes[0], XCB_GRAB_MODE_ASYNC,
                                XCB_GRAB_MODE_ASYNC));
    std::printf("%s\n", error ? "refused" : "ready");
    std::fflush(stdout);
    std::free(error);
    std::free(codes);
    int ch;
    while ((ch = std::getchar()) != EOF) {
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(c);
    return 0;
}
