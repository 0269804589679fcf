/* Writes photo.jpg, a small baseline JFIF picture for fixture.rc, with the
   system's libjpeg: cc make_jpeg.c -ljpeg -o /tmp/make_jpeg && /tmp/make_jpeg */
#include <stdio.h>
#include <jpeglib.h>

int main(void)
{
    struct jpeg_compress_struct info;
    struct jpeg_error_mgr error;
    unsigned char row[16 * 3];
    FILE* out = fopen("photo.jpg", "wb");
    if (!out)
        return 1;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = 16;
    info.image_height = 8;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < 16; ++x) {
            row[3 * x] = (unsigned char)(x * 16);
            row[3 * x + 1] = (unsigned char)(info.next_scanline * 32);
            row[3 * x + 2] = 128;
        }
        JSAMPROW rows[1] = { row };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return fclose(out) != 0;
}
