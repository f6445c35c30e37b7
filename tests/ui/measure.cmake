# Measurement screen views: labels, loupe, handles, target views, frame view.
