// Gives the library a body until its first unit arrives; remove it then.
namespace kw_presentation_detail {
int anchor() { return 0; }
}
