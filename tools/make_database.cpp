// Builds a shipped database from SQL files: make_database [--plain] <out> <file.sql>...
// The main database is keyed with the program's password; --plain leaves it unkeyed (the print
// database, which the receipt engine reads directly). The output must not exist yet; every
// statement must succeed, or no file is left behind.
#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "../src/platform/db_key.h"

int main(int argc, char** argv) {
    bool plain = false;
    if (argc > 1 && std::string(argv[1]) == "--plain") {
        plain = true;
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_database [--plain] <out.db> <file.sql>...\n");
        return 2;
    }
    const std::string out = argv[1];
    if (std::ifstream(out).good()) {
        std::fprintf(stderr, "%s exists already\n", out.c_str());
        return 1;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(out.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s\n", out.c_str());
        return 1;
    }
    const std::string key = platform::kDatabasePassword;
    if (!plain) sqlite3_key(db, key.data(), static_cast<int>(key.size()));
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (int i = 2; ok && i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            ok = false;
            break;
        }
        std::stringstream text;
        text << in.rdbuf();
        char* error = nullptr;
        if (sqlite3_exec(db, text.str().c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "%s: %s\n", argv[i], error ? error : "error");
            sqlite3_free(error);
            ok = false;
        }
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!ok) std::remove(out.c_str());
    return ok ? 0 : 1;
}
