/* Writes tests/data/hostile/: MATLAB 7.3 files that point the reader at other files, claim
 * more than they hold or crash the library, and the files they point at.
 * cc make_hostile_mat.c $(pkg-config --cflags --libs matio hdf5 zlib) -o /tmp/mhm && /tmp/mhm
 * hostile
 */
#include <hdf5.h>
#include <matio.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

static char folder[4096];

static const char* at(const char* name) {
    static char path[8192];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    return path;
}

/* An empty version 7.3 file as the library writes it (header, 512-byte user block), opened
 * for HDF5 to add to. */
static hid_t open_mat73(const char* name) {
    mat_t* mat = Mat_CreateVer(at(name), NULL, MAT_FT_MAT73);
    Mat_Close(mat);
    return H5Fopen(at(name), H5F_ACC_RDWR, H5P_DEFAULT);
}

static void set_class(hid_t object, const char* class_name) {
    hid_t type = H5Tcopy(H5T_C_S1);
    H5Tset_size(type, strlen(class_name));
    hid_t space = H5Screate(H5S_SCALAR);
    hid_t attr = H5Acreate2(object, "MATLAB_class", type, space, H5P_DEFAULT, H5P_DEFAULT);
    H5Awrite(attr, type, class_name);
    H5Aclose(attr);
    H5Sclose(space);
    H5Tclose(type);
}

/* A 1 x n double vector "x" under the creation properties dcpl, written unless data is NULL. */
static void put_x(hid_t file, hsize_t n, hid_t dcpl, const double* data) {
    hsize_t dims[2] = {n, 1};
    hid_t space = H5Screate_simple(2, dims, NULL);
    hid_t set = H5Dcreate2(file, "x", H5T_IEEE_F64LE, space, H5P_DEFAULT, dcpl, H5P_DEFAULT);
    set_class(set, "double");
    if (data)
        H5Dwrite(set, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, data);
    H5Dclose(set);
    H5Sclose(space);
}

/* A version 5 variable "x" of n doubles, all zero, compressed: 2^28 of them are 2 GiB that
 * deflate to 2 MB. */
static void write_zlib_bomb(const char* name, uint32_t n) {
    mat_t* mat = Mat_CreateVer(at(name), NULL, MAT_FT_MAT5);
    Mat_Close(mat);
    const uint32_t data = n * 8u;
    const uint32_t head[] = {14, 48 + data, 6, 8, 6, 0, 5, 8, n, 1, 0x00010001u, 'x', 9, data};
    static unsigned char out[1 << 16];
    static const unsigned char zeros[1 << 16];
    z_stream z;
    memset(&z, 0, sizeof z);
    deflateInit(&z, 9);
    FILE* f = fopen(at(name), "r+b");
    fseek(f, 0, SEEK_END);
    long tag = ftell(f);
    const uint32_t compressed[2] = {15, 0};
    fwrite(compressed, sizeof compressed, 1, f);
    uint64_t left = data;
    int flush = Z_NO_FLUSH;
    z.next_in = (unsigned char*)head;
    z.avail_in = sizeof head;
    uint32_t written = 0;
    do {
        if (z.avail_in == 0 && flush == Z_NO_FLUSH) {
            z.next_in = (unsigned char*)zeros;
            z.avail_in = left < sizeof zeros ? (uInt)left : sizeof zeros;
            left -= z.avail_in;
            flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        }
        z.next_out = out;
        z.avail_out = sizeof out;
        deflate(&z, flush);
        fwrite(out, 1, sizeof out - z.avail_out, f);
        written += sizeof out - z.avail_out;
    } while (!(flush == Z_FINISH && z.avail_out != 0));
    deflateEnd(&z);
    fseek(f, tag + 4, SEEK_SET);
    fwrite(&written, sizeof written, 1, f);
    fclose(f);
}

int main(int argc, char** argv) {
    snprintf(folder, sizeof folder, "%s", argc > 1 ? argv[1] : ".");
    const double secret[4] = {1, -1, 0.5, 0.25};

    /* What the crafted files point at: 32 bytes of doubles, and an HDF5 file holding "y". */
    FILE* f = fopen(at("secret.bin"), "wb");
    fwrite(secret, sizeof secret, 1, f);
    fclose(f);
    hid_t src = H5Fcreate(at("secret.h5"), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    hsize_t four[2] = {4, 1};
    hid_t four_space = H5Screate_simple(2, four, NULL);
    hid_t y =
        H5Dcreate2(src, "y", H5T_IEEE_F64LE, four_space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    H5Dwrite(y, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, secret);
    H5Dclose(y);
    H5Fclose(src);

    /* External storage: a name relative to the working folder, and a FIFO's name. */
    const char* externals[2][2] = {{"external-storage.mat", "secret.bin"},
                                   {"external-fifo.mat", "fifo"}};
    for (int i = 0; i < 2; ++i) {
        hid_t file = open_mat73(externals[i][0]);
        hid_t dcpl = H5Pcreate(H5P_DATASET_CREATE);
        H5Pset_external(dcpl, externals[i][1], 0, sizeof secret);
        put_x(file, 4, dcpl, NULL);
        H5Pclose(dcpl);
        H5Fclose(file);
    }

    /* A virtual dataset over secret.h5's "y". */
    hid_t file = open_mat73("virtual.mat");
    hid_t dcpl = H5Pcreate(H5P_DATASET_CREATE);
    H5Pset_virtual(dcpl, four_space, "secret.h5", "/y", four_space);
    put_x(file, 4, dcpl, NULL);
    H5Pclose(dcpl);
    H5Fclose(file);

    /* An external link named like a variable. */
    file = open_mat73("external-link.mat");
    H5Lcreate_external("secret.h5", "/y", file, "x", H5P_DEFAULT, H5P_DEFAULT);
    H5Fclose(file);

    /* 300 million doubles claimed, none stored: storage is allocated at the first write. */
    file = open_mat73("unallocated.mat");
    dcpl = H5Pcreate(H5P_DATASET_CREATE);
    hsize_t chunk[2] = {1 << 20, 1};
    H5Pset_chunk(dcpl, 2, chunk);
    H5Pset_fill_time(dcpl, H5D_FILL_TIME_NEVER);
    put_x(file, 300000000, dcpl, NULL);
    H5Pclose(dcpl);
    H5Fclose(file);

    /* A cell whose one element is the cell itself: the library follows it without end. */
    file = open_mat73("self-cell.mat");
    hsize_t one[2] = {1, 1};
    hid_t space = H5Screate_simple(2, one, NULL);
    hid_t cell =
        H5Dcreate2(file, "c", H5T_STD_REF_OBJ, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    set_class(cell, "cell");
    hobj_ref_t self;
    H5Rcreate(&self, file, "/c", H5R_OBJECT, -1);
    H5Dwrite(cell, H5T_STD_REF_OBJ, H5S_ALL, H5S_ALL, H5P_DEFAULT, &self);
    H5Dclose(cell);
    H5Sclose(space);
    H5Fclose(file);
    H5Sclose(four_space);

    /* Version 5: a 3 x 1 double vector whose dimensions then claim 2^31 - 1 rows. */
    mat_t* mat = Mat_CreateVer(at("claims-2g.mat"), NULL, MAT_FT_MAT5);
    size_t dims[2] = {3, 1};
    double values[3] = {1, 2, 3};
    matvar_t* var = Mat_VarCreate("x", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, values, 0);
    Mat_VarWrite(mat, var, MAT_COMPRESSION_NONE);
    Mat_VarFree(var);
    Mat_Close(mat);
    f = fopen(at("claims-2g.mat"), "r+b");
    const unsigned rows = 0x7fffffffu;    /* the first dimension, after the tags of the matrix, */
    fseek(f, 128 + 8 + 16 + 8, SEEK_SET); /* its array flags and its dimensions */
    fwrite(&rows, sizeof rows, 1, f);
    fclose(f);

    write_zlib_bomb("zlib-bomb.mat", 1u << 28);

    /* Version 7.3: 2^28 doubles in deflated chunks of 2^20, one of them written. */
    file = open_mat73("hdf5-bomb.mat");
    dcpl = H5Pcreate(H5P_DATASET_CREATE);
    H5Pset_chunk(dcpl, 2, chunk);
    H5Pset_deflate(dcpl, 9);
    H5Pset_fill_time(dcpl, H5D_FILL_TIME_NEVER);
    put_x(file, 1u << 28, dcpl, NULL);
    H5Pclose(dcpl);
    hid_t set = H5Dopen2(file, "x", H5P_DEFAULT);
    hid_t whole = H5Dget_space(set);
    hsize_t start[2] = {0, 0};
    H5Sselect_hyperslab(whole, H5S_SELECT_SET, start, NULL, chunk, NULL);
    hid_t part = H5Screate_simple(2, chunk, NULL);
    double* zero = calloc(chunk[0], sizeof(double));
    H5Dwrite(set, H5T_NATIVE_DOUBLE, part, whole, H5P_DEFAULT, zero);
    free(zero);
    H5Sclose(part);
    H5Sclose(whole);
    H5Dclose(set);
    H5Fclose(file);

    /* Version 7.3: 1,024 doubles in one deflated chunk of 8 KiB whose stream expands to
     * 128 MiB. */
    file = open_mat73("chunk-bomb.mat");
    dcpl = H5Pcreate(H5P_DATASET_CREATE);
    hsize_t small[2] = {1024, 1};
    H5Pset_chunk(dcpl, 2, small);
    H5Pset_deflate(dcpl, 9);
    put_x(file, 1024, dcpl, NULL);
    H5Pclose(dcpl);
    set = H5Dopen2(file, "x", H5P_DEFAULT);
    const uLong plain = 128ul << 20;
    unsigned char* nothing = calloc(plain, 1);
    uLongf packed = compressBound(plain);
    unsigned char* stream = malloc(packed);
    compress2(stream, &packed, nothing, plain, 9);
    const hsize_t origin[2] = {0, 0};
    H5Dwrite_chunk(set, H5P_DEFAULT, 0, origin, packed, stream);
    free(stream);
    free(nothing);
    H5Dclose(set);
    H5Fclose(file);

    /* Version 4: a 1 x 1 double matrix whose name claims 2 GB, in 60 bytes. */
    const int32_t v4[15] = {0, 1, 1, 0, 0x7fffffff, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0};
    f = fopen(at("v4-long-name.mat"), "wb");
    fwrite(v4, sizeof v4, 1, f);
    fclose(f);
    return 0;
}
