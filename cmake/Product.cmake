# Who the program is, in one place: its identifier on the desktop and the addresses it links to.
# The screens get the addresses as compile definitions, the desktop metadata through
# configure_file.
set(MIRREL_APP_ID "app.mirrel.Mirrel")
set(MIRREL_WEBSITE "https://mirrel.app")
set(MIRREL_SUPPORT_EMAIL "support@mirrel.app")
set(MIRREL_STORE_HOST "apps.apple.com")
set(MIRREL_STORE_ID "6739204517")
set(MIRREL_MAINTAINER "The Mirrel developers <${MIRREL_SUPPORT_EMAIL}>")
