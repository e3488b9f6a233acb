/* The least a Set or Clear can cost: list each folder, and for each ".ter"
 * file directly in a folder named "terrain" open it, append or rewrite it in
 * place, close it. No working copy, no atomic replace, no checks: a yardstick,
 * not a tool.
 *
 *   floor_edit set <installation> <decal name>
 *   floor_edit clear <installation>
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

static char decalLine[4096];
static size_t decalLineLength;
static int clearing;

static char* input;
static char* output;
static size_t capacity;

static int hasTerrainExtension(const char* name) {
    size_t length = strlen(name);
    return length >= 4 && strcasecmp(name + length - 4, ".ter") == 0;
}

/* Same line rules as the tool, so the rewritten bytes can be compared. */
static size_t stripLines(const char* text, size_t length, char* out) {
    size_t written = 0;
    int keepAll = 1;
    const char* end = memchr(text, 0x1a, length);
    if (end) length = (size_t)(end - text);
    size_t pos = 0;
    while (pos < length) {
        size_t stop = pos;
        while (stop < length && text[stop] != '\n' && text[stop] != '\r') ++stop;
        const char* line = text + pos;
        size_t lineLength = stop - pos;
        if (keepAll && memmem(line, lineLength, "BASE", 4)) keepAll = 0;
        if (!memmem(line, lineLength, "DECAL_LIB", 9) && (keepAll || lineLength > 3)) {
            memcpy(out + written, line, lineLength);
            written += lineLength;
            out[written++] = '\r';
            out[written++] = '\n';
        }
        pos = stop;
        if (pos < length && text[pos] == '\r') ++pos;
        if (pos < length && text[pos] == '\n') ++pos;
    }
    return written;
}

static void editFile(int folder, const char* name) {
    if (!clearing) {
        int fd = openat(folder, name, O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0) return;
        if (write(fd, decalLine, decalLineLength) < 0) perror(name);
        close(fd);
        return;
    }
    int fd = openat(folder, name, O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    size_t length = 0;
    for (;;) {
        if (length == capacity) {
            capacity = capacity ? capacity * 2 : 1 << 16;
            input = realloc(input, capacity);
            output = realloc(output, capacity * 2);
            if (!input || !output) abort();
        }
        ssize_t got = read(fd, input + length, capacity - length);
        if (got <= 0) break;
        length += (size_t)got;
        /* A short read of a regular file is its end: saves one call. */
        if (length < capacity) break;
    }
    size_t written = stripLines(input, length, output);
    if (pwrite(fd, output, written, 0) < 0 || ftruncate(fd, (off_t)written) != 0) perror(name);
    close(fd);
}

static void walk(int folder, int inTerrain) {
    DIR* listing = fdopendir(folder);
    if (!listing) {
        close(folder);
        return;
    }
    struct dirent* entry;
    while ((entry = readdir(listing))) {
        if (entry->d_type == DT_DIR) {
            if (entry->d_name[0] == '.') continue;
            int child = openat(folder, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (child >= 0) walk(child, strcasecmp(entry->d_name, "terrain") == 0);
        } else if (inTerrain && entry->d_type == DT_REG && hasTerrainExtension(entry->d_name)) {
            editFile(folder, entry->d_name);
        }
    }
    closedir(listing);
}

int main(int argc, char** argv) {
    if (argc < 3 || (strcmp(argv[1], "set") != 0 && strcmp(argv[1], "clear") != 0) ||
        (strcmp(argv[1], "set") == 0 && argc < 4)) {
        fprintf(stderr, "usage: %s set <installation> <decal name> | clear <installation>\n",
                argv[0]);
        return 2;
    }
    clearing = strcmp(argv[1], "clear") == 0;
    if (!clearing) {
        int n =
            snprintf(decalLine, sizeof decalLine, "\r\nDECAL_LIB lib/g10/decals/%s\r\n", argv[3]);
        if (n < 0 || (size_t)n >= sizeof decalLine) return 2;
        decalLineLength = (size_t)n;
    }
    char target[4096];
    snprintf(target, sizeof target, "%s/Custom Scenery", argv[2]);
    int root = open(target, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        perror(target);
        return 1;
    }
    walk(root, 0);
    return 0;
}
