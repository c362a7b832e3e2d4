/* Build-wide settings shared by every module. */
#ifndef CONFIG_H
#define CONFIG_H

#define SET_LIMIT 64
#define SETTINGS_VERSION 3
#define Set(target, value) ((target) = (value))

typedef struct Settings {
    int limit;
    int verbose;
} Settings;

extern Settings globalSettings;

#endif
