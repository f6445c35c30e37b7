# Who the program is, in one place: its identifier on the desktop and the addresses it links to.
# The screens get the addresses as compile definitions, the desktop metadata through
# configure_file.
set(MIRREL_APP_ID "app.mirrel.Mirrel")
set(MIRREL_WEBSITE "https://www.mirrel.app")
set(MIRREL_SUPPORT_EMAIL "support@mirrel.app")
# The store that ships the desktop program, and the program's id there.
set(MIRREL_STORE_HOST "flathub.org")
set(MIRREL_STORE_ID "${MIRREL_APP_ID}")
set(MIRREL_MAINTAINER "The Mirrel developers <${MIRREL_SUPPORT_EMAIL}>")
