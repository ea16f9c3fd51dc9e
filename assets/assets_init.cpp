// The resources are linked through an object library; this unit only gives
// the library a body.
namespace kw_assets_detail {
int anchor() { return 0; }
}
