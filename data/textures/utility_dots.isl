# Dots: a regular halftone of black dots on white.
ISL 1
size 64 64
pattern kind=4 cell=8 width=30 color1=255,255,255 color2=0,0,0
