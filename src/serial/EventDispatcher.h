#pragma once
// Which event loop carries the line. Called before the application object is made: on Linux,
// Qt's own event dispatcher rather than GLib's, under which each request left 20 to 30 µs later
// after its answer's line end (bench_download's turn-around, a few tenths of a per cent of a
// download). An environment that sets QT_NO_GLIB (empty: keep GLib's) is left as it is; other
// systems have one dispatcher and are not affected.

namespace yb {

void PreferQtEventDispatcher();

}  // namespace yb
