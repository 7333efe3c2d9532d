# Perlin noise: smooth gradient noise in five octaves.
ISL 1
size 256 256
seed 603
perlin cell=64 octaves=5 persistence=50 color1=30,30,30 color2=225,225,225
