// Gives the library a body until its first unit arrives; remove it then.
namespace kw_update_detail {
int anchor() { return 0; }
}
