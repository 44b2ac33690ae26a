// The resource library needs one translation unit of its own; the resources themselves
// are registered by the objects qt_add_resources adds to every program that links it.
namespace ogx {
int resourcesAnchor() { return 0; }
} // namespace ogx
