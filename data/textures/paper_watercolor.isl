# Watercolour paper: large soft cells of felt texture with bright peaks.
ISL 1
size 256 256
seed 104
background 244 242 236
plasma roughness=62 opacity=55 color1=205,202,194 color2=252,251,248
perlin cell=16 octaves=3 persistence=50 opacity=30 color1=210,206,198 color2=255,255,252
blur radius=1 passes=2
