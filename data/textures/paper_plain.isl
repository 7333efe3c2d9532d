# Plain drawing paper: a warm white with soft cloudy density and fine tooth.
ISL 1
size 256 256
seed 101
background 238 234 224
perlin cell=64 octaves=5 persistence=55 opacity=30 color1=214,208,196 color2=250,247,240
noise cell=1 opacity=12 color1=200,196,186 color2=255,255,250
blur radius=1 passes=1
