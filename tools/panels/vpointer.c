/* A pointer for a headless wlroots compositor (sway): it joins the seat as a
 * virtual pointer device and moves and clicks as told, one command a line on
 * standard input, until the input ends:
 *
 *   move X Y        to the layout point X,Y (the layout is W x H, see below)
 *   press B         B: left, right, middle
 *   release B
 *   click B         press and release
 *   sleep MS
 *
 *   cc -o vpointer vpointer.c -lwayland-client
 *   vpointer W H <commands
 *
 * The two requests used are written out here rather than generated, so
 * nothing but libwayland-client is needed. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

static const struct wl_interface *no_types[8];
extern const struct wl_interface vp_pointer_interface;
static const struct wl_interface *create_types[] = {&wl_seat_interface, &vp_pointer_interface};

static const struct wl_message pointer_requests[] = {
    {"motion", "uff", no_types},       {"motion_absolute", "uuuuu", no_types},
    {"button", "uuu", no_types},       {"axis", "uuf", no_types},
    {"frame", "", no_types},           {"axis_source", "u", no_types},
    {"axis_stop", "uu", no_types},     {"axis_discrete", "uufi", no_types},
    {"destroy", "", no_types},
};
const struct wl_interface vp_pointer_interface = {"zwlr_virtual_pointer_v1", 1, 9, pointer_requests, 0, NULL};

static const struct wl_message manager_requests[] = {
    {"create_virtual_pointer", "?on", create_types},
    {"destroy", "", no_types},
};
static const struct wl_interface vp_manager_interface = {"zwlr_virtual_pointer_manager_v1", 1, 2,
                                                          manager_requests, 0, NULL};

enum { MOTION_ABSOLUTE = 1, BUTTON = 2, FRAME = 4 };

static struct wl_seat *seat;
static struct wl_proxy *manager;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, "wl_seat") == 0 && !seat)
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  else if (strcmp(interface, vp_manager_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &vp_manager_interface, 1);
}
static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}
static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

static uint32_t button_code(const char *name) {
  if (strcmp(name, "right") == 0) return 0x111; /* BTN_RIGHT */
  if (strcmp(name, "middle") == 0) return 0x112;
  return 0x110; /* BTN_LEFT */
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s WIDTH HEIGHT <commands\n", argv[0]);
    return 2;
  }
  uint32_t width = (uint32_t)atoi(argv[1]), height = (uint32_t)atoi(argv[2]);
  struct wl_display *display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "vpointer: no Wayland display\n");
    return 1;
  }
  struct wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (!manager) {
    fprintf(stderr, "vpointer: the compositor has no virtual pointers\n");
    return 1;
  }
  struct wl_proxy *pointer =
      wl_proxy_marshal_constructor(manager, 0, &vp_pointer_interface, seat, NULL);
  wl_display_roundtrip(display);

  char line[256];
  while (fgets(line, sizeof line, stdin)) {
    char verb[32] = "", arg[32] = "";
    int x = 0, y = 0;
    if (sscanf(line, "%31s", verb) != 1) continue;
    if (strcmp(verb, "move") == 0 && sscanf(line, "%*s %d %d", &x, &y) == 2) {
      wl_proxy_marshal(pointer, MOTION_ABSOLUTE, now_ms(), (uint32_t)x, (uint32_t)y, width, height);
      wl_proxy_marshal(pointer, FRAME);
    } else if (sscanf(line, "%*s %31s", arg) == 1 &&
               (strcmp(verb, "press") == 0 || strcmp(verb, "release") == 0 || strcmp(verb, "click") == 0)) {
      uint32_t code = button_code(arg);
      if (strcmp(verb, "release") != 0) {
        wl_proxy_marshal(pointer, BUTTON, now_ms(), code, 1u);
        wl_proxy_marshal(pointer, FRAME);
      }
      if (strcmp(verb, "click") == 0) {
        wl_display_flush(display);
        usleep(60000);
      }
      if (strcmp(verb, "press") != 0) {
        wl_proxy_marshal(pointer, BUTTON, now_ms(), code, 0u);
        wl_proxy_marshal(pointer, FRAME);
      }
    } else if (strcmp(verb, "sleep") == 0 && sscanf(line, "%*s %d", &x) == 1) {
      usleep((useconds_t)x * 1000);
    } else {
      fprintf(stderr, "vpointer: not understood: %s", line);
    }
    if (wl_display_roundtrip(display) < 0) return 1;
  }
  wl_proxy_marshal(pointer, 8);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
