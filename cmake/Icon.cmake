# The program icon, made at build time from its source in res/icon/.
add_custom_target(zorvane_icon)
